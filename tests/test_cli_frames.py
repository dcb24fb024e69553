"""The command on multi-frame XYZ files: every frame linted as lint_xyz lints its text alone, each finding and
failure at its frame and line, extended XYZ columns, periodic cells, and frames spread over threads."""
import io
import json
import re
from pathlib import Path

import ase.build
import ase.io
import jsonschema
import numpy as np
import pytest

import quorv_lint
from test_cli import records, run_cli, summary, write

SARIF_SCHEMA = json.loads((Path(__file__).parent / "data" / "sarif-schema-2.1.0.json").read_text(encoding="utf-8"))
BOHR = 0.529177


def frames_of(text):
    """(first line, text) of each frame of a well-formed multi-frame XYZ text, lines counted from 1."""
    lines = text.splitlines(keepends=True)
    frames, at = [], 0
    while at < len(lines):
        if not lines[at].strip():
            at += 1
            continue
        end = at + 2 + int(lines[at])
        frames.append((at + 1, "".join(lines[at:end])))
        at = end
    return frames


def expected_findings(text):
    """What the command must report for each frame: lint_xyz on the frame's text alone, located in the file."""
    expected = []
    for index, (first_line, frame) in enumerate(frames_of(text)):
        for finding in quorv_lint.lint_xyz(frame):
            expected.append((index, finding.code, finding.severity, finding.message))
    return expected


def command_findings(completed):
    return [(r["frame"], r["code"], r["severity"], r["message"]) for r in records(completed, "finding")]


def ase_text(images, **options):
    out = io.StringIO()
    ase.io.write(out, images, format="extxyz", **options)
    return out.getvalue()


def water(charge=0, mult=1):
    molecule = ase.build.molecule("H2O")
    molecule.info.update(charge=charge, mult=mult)
    return molecule


@pytest.fixture
def faulty_trajectory():
    """An ASE trajectory of six waters: frame 3 has an atom duplicated onto another, frame 4 is in bohr,
    frame 5 declares an impossible multiplicity."""
    images = [water() for _ in range(6)]
    for number, image in enumerate(images):
        image.positions += 0.01 * number
    images[3].positions[2] = images[3].positions[1]
    images[4].positions /= BOHR
    images[5].info["mult"] = 2
    return ase_text(images)


def test_every_frame_of_an_ase_trajectory_is_linted_as_its_text_alone(faulty_trajectory, tmp_path):
    write(tmp_path / "traj.xyz", faulty_trajectory)
    completed = run_cli("--format", "json", "traj.xyz", cwd=tmp_path)
    assert completed.returncode == 1
    assert command_findings(completed) == expected_findings(faulty_trajectory)
    assert {frame for frame, *_ in command_findings(completed)} == {3, 4, 5}
    assert summary(completed)["frames"] == summary(completed)["frames_linted"] == 6


def test_each_finding_points_at_the_line_of_the_first_atom_it_names_else_the_count_line(faulty_trajectory, tmp_path):
    write(tmp_path / "traj.xyz", faulty_trajectory)
    starts = [first_line for first_line, _ in frames_of(faulty_trajectory)]
    for completed in [run_cli("--format", "json", "traj.xyz", cwd=tmp_path)]:
        for record in records(completed, "finding"):
            first_line = starts[record["frame"]]
            expected = first_line + 2 + record["atoms"][0] if record["atoms"] else first_line
            assert record["line"] == expected, record
    text = run_cli("traj.xyz", cwd=tmp_path).out.splitlines()
    # Frame 3: atoms 1 and 2 coincide; atom 1 is on the frame's fourth line.
    assert f"traj.xyz:{starts[3] + 3}: frame 3: overlapping-atoms error atoms 1 (H) and 2 (H) are 0.000" in text[0]
    assert text[-1] == "3 errors, 1 warning in 1 file (6 frames: 6 linted, 0 could not be read)"


@pytest.mark.parametrize("tail, failure_line, message", [
    # The last frame ends too soon: the failure names its count line.
    ("3\n\nO 0 0 0\nH 0 0 1\n", 31, "not a valid XYZ file: header declares 3 atom(s) but 2 were found"),
    # An atom line more than the last frame declared stands where a count line should.
    ("H 1 1 1\n", 31, 'not a valid XYZ file: first line must be the atom count, got "H 1 1 1"; '
                      "the file cannot be divided into frames from line 31 on"),
])
def test_what_is_not_a_whole_frame_at_the_end_fails_and_the_rest_is_still_reported(faulty_trajectory, tail,
                                                                                   failure_line, message, tmp_path):
    write(tmp_path / "traj.xyz", faulty_trajectory + tail)
    completed = run_cli("--format", "json", "traj.xyz", cwd=tmp_path)
    assert completed.returncode == 2
    assert command_findings(completed) == expected_findings(faulty_trajectory)
    assert records(completed, "failure") == [
        {"type": "failure", "path": "traj.xyz", "line": failure_line, "frame": 6, "message": message}]
    assert (summary(completed)["frames"], summary(completed)["frames_failed"]) == (7, 1)
    text = run_cli("traj.xyz", cwd=tmp_path)
    assert text.err == f"quorv-lint: traj.xyz:{failure_line}: frame 6: {message}\n"
    assert text.out.splitlines()[-1].endswith("(7 frames: 6 linted, 1 could not be read)")


def test_a_frame_that_does_not_read_fails_alone(tmp_path):
    good = "3\ncharge=0 mult=1\nO 0 0 0.119\nH 0 0.763 -0.477\nH 0 -0.763 -0.477\n"
    (tmp_path / "mixed.xyz").write_bytes(
        (good + "2\n\nH 0 0 0\nH 0 x 0\n" + good).encode() + b"1\n\nHe 0 \xff 0\n" + good.encode())
    completed = run_cli("--format", "json", "mixed.xyz", cwd=tmp_path)
    assert [(r["frame"], r["line"], r["message"]) for r in records(completed, "failure")] == [
        (1, 9, "not a valid XYZ file: atom line 2: y coordinate is not a number"),
        (3, 17, "cannot read mixed.xyz: stream did not contain valid UTF-8"),
    ]
    assert (summary(completed)["frames_linted"], summary(completed)["frames_failed"]) == (3, 2)
    assert completed.returncode == 2


def test_extended_xyz_files_in_any_letter_case_are_found_and_read_as_xyz(tmp_path):
    text = ase_text([water(mult=2)])
    for name in ["a.extxyz", "b.XYZ", "c.ExtXyz", "d.xyz.txt"]:
        write(tmp_path / "set" / name, text)
    completed = run_cli("--format", "json", "set", cwd=tmp_path)
    assert [(r["path"], r["code"]) for r in records(completed, "finding")] == [
        ("set/a.extxyz", "electron-parity"), ("set/b.XYZ", "electron-parity"), ("set/c.ExtXyz", "electron-parity")]


def z_first(image):
    """The frame with Z before the symbol and the position, and per-atom charges after them."""
    lines = [str(len(image)), 'Properties=Z:I:1:species:S:1:pos:R:3:charges:R:1 charge=0 mult=1 pbc="F F F"']
    for atom in image:
        lines.append(f"{atom.number} {atom.symbol} {atom.x:.8f} {atom.y:.8f} {atom.z:.8f} -0.1")
    return "\n".join(lines) + "\n"


@pytest.mark.parametrize("layout", ["plain", "forces", "z first"])
def test_properties_choose_the_columns_wherever_they_stand(layout, tmp_path):
    images = [water() for _ in range(3)]
    images[1].positions[2] = images[1].positions[0]
    images[2].positions /= BOHR
    if layout == "forces":
        for image in images:
            image.arrays["forces"] = np.ones((len(image), 3))
        text = ase_text(images, columns=["symbols", "positions", "forces"])
        assert "forces:R:3" in text
    elif layout == "z first":
        text = "".join(z_first(image) for image in images)
    else:
        text = ase_text(images)
    assert [len(image) for image in ase.io.read(io.StringIO(text), index=":", format="extxyz")] == [3, 3, 3]
    write(tmp_path / "set.xyz", text)
    completed = run_cli("--format", "json", "set.xyz", cwd=tmp_path)
    assert command_findings(completed) == expected_findings(ase_text(images))


def water_box(seed=3, cell=6.2):
    """Eight randomly turned waters in a cubic box, shifted and wrapped so that molecules cross its faces."""
    rng = np.random.default_rng(seed)
    box = ase.Atoms(cell=[cell] * 3, pbc=True)
    for corner in np.ndindex(2, 2, 2):
        molecule = ase.build.molecule("H2O")
        molecule.rotate(rng.uniform(0, 360), rng.normal(size=3))
        molecule.translate(np.array(corner) * cell / 2 + cell / 4)
        box += molecule
    box.translate([cell / 4 + 0.1, cell / 4 + 0.2, cell / 4 + 0.3])
    box.wrap()
    box.info.update(charge=0, mult=1)
    return box


def wrapped_water(cell=6.0):
    """One water whose hydrogens lie across two faces of its box, as a simulation writes it."""
    oxygen = np.array([0.10, 0.10, 3.00])
    molecule = ase.Atoms("OH2", positions=[oxygen, oxygen + [-0.76, 0, -0.59], oxygen + [0, -0.76, -0.59]],
                         cell=[cell] * 3, pbc=True)
    molecule.wrap()
    molecule.info.update(charge=0, mult=1)
    return molecule


def bulk_copper():
    copper = ase.build.bulk("Cu", "fcc", a=3.61)
    copper.info.update(charge=0, mult=2)
    return copper


@pytest.mark.parametrize("structure, false_alarms", [
    (wrapped_water, {"bare-heteroatom", "unit-scale"}),
    (water_box, {"bare-heteroatom"}),
    (bulk_copper, {"metal-uncoordinated"}),
])
def test_periodic_frames_are_measured_over_their_images(structure, false_alarms, tmp_path):
    periodic = structure()
    molecule = periodic.copy()
    molecule.pbc = False
    write(tmp_path / "periodic.xyz", ase_text([periodic]))
    write(tmp_path / "molecule.xyz", ase_text([molecule]))
    assert 'pbc="T T T"' in (tmp_path / "periodic.xyz").read_text()
    completed = run_cli("--format", "json", "periodic.xyz", "molecule.xyz", cwd=tmp_path)
    codes = {path: {r["code"] for r in records(completed, "finding") if r["path"] == path}
             for path in ["periodic.xyz", "molecule.xyz"]}
    # The same atoms without their cell are what the rules flag; with it, nothing is wrong.
    assert false_alarms <= codes["molecule.xyz"]
    assert codes["periodic.xyz"] == set()


def test_sarif_regions_and_notifications_point_at_frames_and_lines(faulty_trajectory, tmp_path):
    write(tmp_path / "traj.xyz", faulty_trajectory + "H 1 1 1\n")
    completed = run_cli("--format", "sarif", "traj.xyz", cwd=tmp_path)
    log = json.loads(completed.out)
    jsonschema.Draft4Validator(SARIF_SCHEMA).validate(log)
    (run,) = log["runs"]
    starts = [first_line for first_line, _ in frames_of(faulty_trajectory)]
    overlap = next(r for r in run["results"] if r["ruleId"] == "overlapping-atoms")
    assert overlap["locations"][0]["physicalLocation"]["region"] == {"startLine": starts[3] + 3}
    assert overlap["properties"] == {"atoms": [1, 2], "frame": 3}
    (invocation,) = run["invocations"]
    (notification,) = invocation["toolExecutionNotifications"]
    assert notification["locations"][0]["physicalLocation"]["region"] == {"startLine": 31}
    assert notification["properties"] == {"frame": 6}
    assert invocation["properties"] == {"frames": 7, "framesLinted": 6, "framesFailed": 1}
    assert (invocation["executionSuccessful"], invocation["exitCode"]) == (False, 2)


@pytest.mark.parametrize("spec, lines", [
    ('{"charge": 0, "spin_multiplicity": 1,\n "atoms": [\n  ["O", 0, 0, 0],\n  ["H", 0.96, 0, 0],\n'
     '  ["H", 0.96, 0, 0.1]\n ]}', [4]),
    ('{"atoms": [{"element": "Fe",\n  "x": 0, "y": 0, "z": 0}, {"element": "O", "x": 9, "y": 0, "z": 0}],\n'
     ' "charge": 2, "spin_multiplicity": 5}', [2, 1]),
])
def test_json_findings_about_atoms_point_at_the_line_of_the_first(spec, lines, tmp_path):
    write(tmp_path / "spec.json", spec)
    completed = run_cli("--format", "json", "spec.json", cwd=tmp_path)
    located = [(r["line"], r["frame"]) for r in records(completed, "finding") if r["atoms"]]
    assert located == [(line, None) for line in lines]
    assert all(r["line"] is None for r in records(completed, "finding") if not r["atoms"])
    # The text output and SARIF regions show the same lines.
    text = run_cli("spec.json", cwd=tmp_path).out.splitlines()[:-1]
    assert [int(line.split(":")[1]) for line in text] == lines
    results = json.loads(run_cli("--format", "sarif", "spec.json", cwd=tmp_path).out)["runs"][0]["results"]
    assert [r["locations"][0]["physicalLocation"]["region"]["startLine"] for r in results] == lines


def test_a_trajectory_on_standard_input_is_read_frame_by_frame(faulty_trajectory, tmp_path):
    completed = run_cli("--format", "json", "--stdin-kind", "xyz", "-", cwd=tmp_path,
                        stdin=faulty_trajectory.encode())
    assert command_findings(completed) == expected_findings(faulty_trajectory)


def many_frames():
    """12,000 small frames (about 1 MB: several blocks, read and linted by threads in turn) with faults spread
    over them, and in the middle a frame of 300 coincident atoms whose 44,850 findings are more than a helper
    holds."""
    good = "3\ncharge=0 mult=1\nO 0 0 0.119\nH 0 0.763 -0.477\nH 0 -0.763 -0.477\n"
    bad = "3\ncharge=0 mult=1\nO 0 0 0.119\nH 0 0.763 -0.477\nH 0 0.763 -0.477\n"
    frames = [bad if number % 97 == 0 else good for number in range(12000)]
    frames[6000] = "300\n0 1\n" + "He 0 0 0\n" * 300
    return "".join(frames)


def test_frames_spread_over_threads_come_out_in_file_order(tmp_path):
    text = many_frames()
    write(tmp_path / "many.xyz", text)
    outputs = [run_cli("--format", "json", "--jobs", jobs, "many.xyz", cwd=tmp_path, timeout=120) for jobs in "123"]
    assert outputs[0].out == outputs[1].out == outputs[2].out
    frames = [r["frame"] for r in records(outputs[1], "finding")]
    assert frames == sorted(frames) and frames.count(6000) == 300 * 299 // 2
    assert summary(outputs[1])["frames_linted"] == 12000
    # Standard input, read in the pieces a pipe gives, goes the same way.
    piped = run_cli("--format", "json", "--jobs", "2", "--stdin-filename", "many.xyz", "-", cwd=tmp_path,
                    stdin=text.encode(), timeout=120)
    assert piped.out == outputs[1].out



# Frames of small files, usual or not: the command reads a file of one frame without dividing it, and that
# must change nothing. Each is compared with the same frame at the end of a file large enough to be divided.
SMALL_FILE_FRAMES = [
    "3\ncharge=0 mult=1\nO 0 0 0.119\nH 0 0.763 -0.477\nH 0 -0.763 -0.477\n",
    "3\ncharge=0 mult=2\nO 0 0 0.119\nH 0 0.763 -0.477\nH 0 0 0.119\n\n\n",
    "3\r\n0 1\r\nO 0 0 0.119\r\nH 0 0.763 -0.477\r\nH 0 -0.763 -0.477",
    "2\nenergy=-1.5\nN 0 0 0\nN 0 0 9\n",
    "2\n\nN 0 0 0\n\nN 0 0 1.1\n",
    "2\ncharge=0 mult=1\nN 0 0 0\n",
    "2\ncharge=0 mult=1  # noqa: bare-heteroatom\nN 0 0 0\nN 0 0 9\n",
    "1\ncharge=0 mult=2\nH\u00a00 0 0\n",
    "1\nénergie\nHe 0 0 0\n",
    "3\ncharge=0 mult=1\nO 0 0 0.119\nH 0 0.763 -0.477\nH 0 -0.763 -0.477\nH 9 9 9\n",
    "0\ncharge=0 mult=1\n",
    '2\nProperties=species:S:1:pos:R:3:forces:R:3 charge=0 mult=1 pbc="F F F"\nO 0 0 0 1 2 3\nO 0 0 1.2 1 2 3\n',
    '1\nLattice="3 0 0 0 3 0 0 0 3" pbc="T T T" charge=0 mult=1\nHe 0 0 0\n',
]


def located(completed, frame_offset, line_offset):
    """Findings and failures with their frame and line (also a line in a message) taken back by the frames and
    lines before them."""
    def message(text):
        return re.sub(r"from line (\d+) on", lambda m: f"from line {int(m.group(1)) - line_offset} on", text)
    return sorted((r["type"], r.get("code"), message(r["message"]), r["frame"] - frame_offset, r["line"] - line_offset)
                  for r in records(completed, "finding") + records(completed, "failure"))


@pytest.mark.parametrize("frame", SMALL_FILE_FRAMES)
def test_a_small_file_of_one_frame_reads_as_that_frame_at_the_end_of_a_large_file(frame, tmp_path):
    padding = "1\ncharge=0 mult=2\nH 0 0 0\n" * 12000  # clean frames, about 300 KB: more than one read
    (tmp_path / "small.xyz").write_text(frame, encoding="utf-8")
    (tmp_path / "large.xyz").write_text(padding + frame, encoding="utf-8")
    small = run_cli("--format", "json", "small.xyz", cwd=tmp_path)
    large = run_cli("--format", "json", "large.xyz", cwd=tmp_path)
    assert (small.returncode, located(small, 0, 0)) == (large.returncode, located(large, 12000, 36000))
