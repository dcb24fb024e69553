"""The data-set package's XYZ source reads a multi-frame file as the command
does: frame by frame, each frame with the findings lint_xyz gives its text
alone (an extended frame: the same atoms written as a plain one), located on
the atom's own line or the frame's count line, in whatever partitions the
file is cut; frames that cannot be read fail alone, with the core's texts."""
import re

import pytest

pytest.importorskip("pyarrow")
np = pytest.importorskip("numpy")

import quorv_lint
from quorv_lint_datasets import lint_dataset, output

PREFIX = "not a valid XYZ file: "
# (symbol as written, atomic number)
POOL = [("H", 1), ("h", 1), ("C", 6), ("N", 7), ("O", 8), ("S", 16), ("cl", 17), ("Fe", 26), ("Se", 34),
        ("Pt", 78)]
SYMBOL_OF = {1: "H", 6: "C", 7: "N", 8: "O", 16: "S", 17: "Cl", 26: "Fe", 34: "Se", 78: "Pt"}
COMMENTS = ["charge=0 mult=1", "0 2", "charge=-1 multiplicity=2", "", "energy=-76.4"]
# Properties layouts, each with how to write an atom's columns from (symbol, z, x, y, z).
LAYOUTS = [
    ("", lambda s, z, xyz: [s, *xyz]),
    ("Properties=species:S:1:pos:R:3:forces:R:3", lambda s, z, xyz: [s, *xyz, "0.1", "-2", "3e-4"]),
    ("Properties=Z:I:1:pos:R:3", lambda s, z, xyz: [str(z), *xyz]),
    ("Properties=forces:R:3:species:S:1:pos:R:3", lambda s, z, xyz: ["1", "2", "3", s, *xyz]),
]
ATOM_NAMED = re.compile(r"\batoms? (\d+) \(|\(atom (\d+)\)")


def generated_file(rng, frames, tail):
    """The lines of a multi-frame file and, per frame, what the command must report: rows
    (frame, line, code, message), found by lint_xyz on each frame's text written plainly."""
    lines, expected = [], []
    for frame in range(frames):
        atoms = [POOL[i] for i in rng.integers(0, len(POOL), int(rng.integers(0, 6)))]
        positions = rng.normal(0.0, rng.choice([0.6, 1.5]), (len(atoms), 3)).round(4)
        layout, columns = LAYOUTS[int(rng.integers(0, len(LAYOUTS)))]
        comment = str(rng.choice(COMMENTS))
        broken = layout == "" and atoms and rng.random() < 0.1  # an unreadable coordinate
        first_line = len(lines) + 1
        # The plain text keeps the comment line: Properties= is one more word on it for lint_xyz.
        lines += [f" {len(atoms)}", f"{comment} {layout}".strip()]
        plain = [str(len(atoms)), lines[-1]]
        atom_lines = []
        for index, ((symbol, z), xyz) in enumerate(zip(atoms, positions)):
            if rng.random() < 0.15:  # a blank line among the atoms, skipped but counted
                lines.append("  ")
                plain.append("")
            words = [repr(float(value)) for value in xyz]
            if broken and index == len(atoms) - 1:
                words[1] = "1,5"
            lines.append("\t".join(columns(symbol, z, words)))
            plain.append(" ".join([SYMBOL_OF[z] if layout.startswith("Properties=Z") else symbol, *words]))
            atom_lines.append(len(lines))
        lines += [""] * int(rng.choice([0, 0, 1, 2]))
        expected += expected_rows(frame, first_line, atom_lines, "\n".join(plain) + "\n")
    if tail == "truncated":
        lines += ["3", "charge=0 mult=1", "O 0 0 0"]
        expected.append((frames, len(lines) - 2, output.UNREADABLE_CODE, "header declares 3 atom(s) but 1 were found"))
    elif tail == "extra atom line":
        lines.append("H 1 1 1")
        expected.append((frames, len(lines), output.UNREADABLE_CODE,
                         f'first line must be the atom count, got "H 1 1 1"; the file cannot be divided into '
                         f'frames from line {len(lines)} on'))
    return lines, expected


def expected_rows(frame, first_line, atom_lines, text):
    try:
        findings = quorv_lint.lint_xyz(text)
    except ValueError as error:
        message = str(error)[len(PREFIX):]
        atom_line = re.match(r"atom line (\d+)", message)
        line = first_line + 1 + int(atom_line.group(1)) if atom_line else first_line
        return [(frame, line, output.UNREADABLE_CODE, message)]
    rows = []
    for finding in findings:
        named = ATOM_NAMED.search(finding.message)
        line = atom_lines[int(named.group(1) or named.group(2))] if named else first_line
        rows.append((frame, line, finding.code, finding.message))
    return rows


def linted_rows(out_dir):
    return sorted((row["frame"], row["line"], row["code"], row["message"])
                  for row in output.read_findings(out_dir).to_pylist())


@pytest.mark.parametrize("line_end, tail", [("\n", None), ("\r\n", "truncated"), ("\n", "extra atom line")])
def test_every_frame_gets_what_lint_xyz_gives_its_text_on_the_lines_of_the_file(line_end, tail, tmp_path):
    rng = np.random.default_rng(len(line_end) + len(tail or ""))
    lines, expected = generated_file(rng, 300, tail)
    path = tmp_path / "set.extxyz"
    path.write_bytes(line_end.join(lines).encode() + b"\n")
    # Partitions of 7 frames start all over the file: after blank lines, Properties frames, failures.
    summary = lint_dataset([str(path)], str(tmp_path / "out"), partition_frames=7)
    assert linted_rows(str(tmp_path / "out")) == sorted(expected)
    frames = 300 + (tail is not None)
    assert (summary.report.frames_in, summary.report.linted + summary.report.failed) == (frames, frames)


# Each O-H bond crosses a wall of the cell: 0.96 Å over the images, 9 Å as a molecule.
WATER_WRAPPED = ('3\nLattice="10 0 0 0 10 0 0 0 10" pbc="T T T" charge=0 mult=1\n'
                 'O 0.05 0.05 5\nH 9.09 0.05 5\nH 0.30 9.12 5\n')
BULK_COPPER = '1\nLattice="0 1.805 1.805 1.805 0 1.805 1.805 1.805 0" pbc="T T T"\nCu 0 0 0\n'


@pytest.mark.parametrize("text, codes", [
    (WATER_WRAPPED, []),
    # The same atoms as a molecule are torn apart.
    (WATER_WRAPPED.replace('pbc="T T T"', 'pbc="F F F"'), ["bare-heteroatom", "unit-scale"]),
    # Twelve images at 2.55 Å: copper is coordinated (the count abstains: no charge).
    (BULK_COPPER, ["electron-parity-abstain"]),
])
def test_periodic_frames_are_linted_over_their_images(text, codes, tmp_path):
    path = tmp_path / "cell.xyz"
    path.write_text(text)
    lint_dataset([str(path)], str(tmp_path / "out"))
    assert sorted(code for _, _, code, _ in linted_rows(str(tmp_path / "out"))) == codes


@pytest.mark.parametrize("units, nearest", [("angstrom", "3.00"), ("nm", "30.00")])
def test_the_unit_applies_to_the_cell_as_to_the_atoms(units, nearest, tmp_path):
    path = tmp_path / "oxygen.xyz"
    path.write_text('1\nLattice="3 0 0 0 3 0 0 0 3"\nO 0 0 0\n')
    lint_dataset([str(path)], str(tmp_path / "out"), overrides={"units": units})
    (row,) = [row for row in linted_rows(str(tmp_path / "out")) if row[2] == "bare-heteroatom"]
    assert f"(nearest is {nearest} Å)" in row[3]


SELENIUM_DOUBLET = "3\ncharge=0 mult=2\nSe 0 0 0\nH 1.46 0 0\nH 0 1.46 0\n"
PREVIEW_OF_PERIODIC = "periodic frame not linted: the preview rules judge molecules only"


@pytest.mark.parametrize("preview, selenium, copper", [
    # The strict tables know no selenium; the preview's know every element.
    (False, ("electron-parity-abstain", "electron count not verified: unknown atomic number for Se"),
     ("electron-parity-abstain", "electron parity not checked")),
    (True, ("electron-parity", "impossible state: 36 electrons with multiplicity 2"),
     (output.UNREADABLE_CODE, PREVIEW_OF_PERIODIC)),
])
def test_preview_judges_every_element_and_leaves_periodic_frames_unlinted(preview, selenium, copper, tmp_path):
    path = tmp_path / "set.xyz"
    path.write_text(SELENIUM_DOUBLET + BULK_COPPER)
    summary = lint_dataset([str(path)], str(tmp_path / "out"), preview=preview)
    found = [(code, message) for _, _, code, message in linted_rows(str(tmp_path / "out"))]
    assert [(code, message[:len(start)]) for (code, message), (_, start) in zip(found, [selenium, copper])] == \
        [selenium, copper]
    assert len(found) == 2 and summary.report.failed == int(preview)


def test_the_command_takes_preview(tmp_path, capsys):
    from quorv_lint_datasets.cli import main
    path = tmp_path / "set.xyz"
    path.write_text(SELENIUM_DOUBLET)
    status = main([str(path), "-o", str(tmp_path / "out"), "--serial", "--no-progress", "--preview"])
    assert "electron-parity" in capsys.readouterr().out and status == 1


def test_a_pipe_named_as_a_shard_is_refused_not_waited_for(tmp_path):
    import os
    import subprocess
    import sys
    pipe = tmp_path / "pipe.xyz"
    os.mkfifo(pipe)
    # In a process of its own: a reader that waited for a writer would hang here, not the suite.
    completed = subprocess.run([sys.executable, "-m", "quorv_lint_datasets.cli", str(pipe), "-o", str(tmp_path / "out"),
                                "--serial", "--no-progress", "--retries", "0"], capture_output=True, text=True,
                               timeout=120)
    assert completed.returncode == 2
    assert "frames in 1 = linted 0 + failed 1" in completed.stdout
    (row,) = output.read_findings(str(tmp_path / "out")).to_pylist()
    assert "Illegal seek" in row["message"]
