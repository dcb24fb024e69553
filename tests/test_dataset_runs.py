"""quorv-lint-dataset over generated data sets in every supported format, on an
in-process Dask cluster and in this process: every frame is accounted for,
every planted fault is found where it was planted, an unreadable frame fails
alone, and the two ways of running agree row for row."""
import os

import pytest

pytest.importorskip("dask")
pytest.importorskip("h5py")
pytest.importorskip("pyarrow")

from distributed import Client, LocalCluster

from quorv_lint_datasets import lint_dataset, output, synthetic

FRAMES = 600
PARTITION = 250
# What each planted fault must produce in the frame it was planted in.
EXPECTED = {"multiplicity": "electron-parity", "overlap": "overlapping-atoms", "bohr": "unit-scale",
            "unreadable": output.UNREADABLE_CODE}


def write_xyz(path, faults):
    return synthetic.write_xyz(path, FRAMES, faults)


def write_spice(path, faults):
    return synthetic.write_hdf5(path, FRAMES, faults, layout="spice", per_group=40)


def write_ani(path, faults):
    # The ANI layout cannot state a multiplicity: no such fault is planted.
    return synthetic.write_hdf5(path, FRAMES, faults, layout="ani", per_group=40)


def write_db(path, faults):
    return synthetic.write_ase_db(path, FRAMES, faults)


def write_lmdb(path, faults):
    pytest.importorskip("ase_db_backends")
    # The LMDB backend has no row a test could damage from outside.
    return synthetic.write_ase_db(path, FRAMES, faults)


FORMATS = {
    "xyz": ("set.extxyz", write_xyz, {}, set(EXPECTED)),
    "spice": ("set.h5", write_spice, {"preset": "spice", "overrides": {"multiplicity": "multiplicity"}},
              set(EXPECTED)),
    "ani": ("set.hdf5", write_ani, {"preset": "ani"}, set(EXPECTED) - {"multiplicity"}),
    "sqlite": ("set.db", write_db, {}, set(EXPECTED)),
    "aselmdb": ("set.aselmdb", write_lmdb, {}, set(EXPECTED) - {"unreadable"}),
}


@pytest.fixture(scope="module")
def client():
    with LocalCluster(n_workers=1, threads_per_worker=1, processes=False, dashboard_address=None) as cluster, \
            Client(cluster) as dask_client:
        yield dask_client


def run_options(options):
    from quorv_lint_datasets.mapping import Field
    overrides = {key: Field.parse(value) for key, value in options.get("overrides", {}).items()}
    return {"preset": options.get("preset"), "overrides": overrides}


def rows(out_dir):
    table = output.read_findings(out_dir).to_pylist()
    return sorted((row["frame"], row["code"], row["message"], row["line"], row["key"]) for row in table)


@pytest.mark.parametrize("name", FORMATS)
def test_a_generated_set_is_linted_whole_on_dask_and_alike_in_one_process(name, client, tmp_path):
    file_name, write, options, kinds = FORMATS[name]
    faults = {frame: kind for frame, kind in synthetic.plant(FRAMES, every=40, seed=3).items() if kind in kinds}
    path = str(tmp_path / file_name)
    write(path, faults)
    on_dask = lint_dataset([path], str(tmp_path / "dask"), client=client, partition_frames=PARTITION,
                           **run_options(options))
    alone = lint_dataset([path], str(tmp_path / "alone"), partition_frames=PARTITION, **run_options(options))

    summary = output.read_summary(str(tmp_path / "dask")).to_pylist()
    assert sum(row["frames_in"] for row in summary) == FRAMES
    assert sum(row["linted"] + row["failed"] for row in summary) == FRAMES
    assert on_dask.partitions == len(summary) == -(-FRAMES // PARTITION)

    findings = rows(str(tmp_path / "dask"))
    codes_by_frame = {}
    for frame, code, *_ in findings:
        codes_by_frame.setdefault(frame, set()).add(code)
    for frame, kind in faults.items():
        assert EXPECTED[kind] in codes_by_frame.get(frame, set()), (frame, kind)
    # Only planted faults give errors or failures; the clean frames around them stay clean.
    unexpected = {frame for frame, code, *_ in findings if code != "electron-parity-abstain"} - set(faults)
    assert unexpected == set()
    failed = {frame for frame, code, *_ in findings if code == output.UNREADABLE_CODE}
    assert failed == {frame for frame, kind in faults.items() if kind == "unreadable"}

    assert rows(str(tmp_path / "alone")) == findings
    assert (alone.report.linted, alone.report.failed) == (on_dask.report.linted, on_dask.report.failed)
    assert alone.report.codes == on_dask.report.codes


def test_xyz_findings_name_the_atom_line_or_the_count_line(tmp_path):
    path = tmp_path / "two.xyz"
    # Frame 1 has a blank line among its atoms; its duplicated hydrogen is on line 11.
    path.write_text("3\ncharge=0 mult=1\nO 0 0 0\nH 0.96 0 0\nH 0 0.96 0\n"
                    "\n"
                    "3\ncharge=0 mult=2\nO 0 0 0\n\nH 0.96 0 0\nH 0.96 0 0\n")
    lint_dataset([str(path)], str(tmp_path / "out"))
    assert [(frame, code, line) for frame, code, _, line, _ in rows(str(tmp_path / "out"))] == [
        (1, "electron-parity", 7), (1, "overlapping-atoms", 11)]


@pytest.mark.parametrize("text, failures", [
    # A truncated last frame: a failure on its count line, the frame before it linted.
    ("2\n\nH 0 0 0\nH 0.74 0 0\n3\n\nO 0 0 0\n", [(1, 5, "header declares 3 atom(s) but 1 were found")]),
    # An atom line after the declared count: the rest cannot be divided into frames.
    ("2\n\nH 0 0 0\nH 0.74 0 0\nH 1 1 1\n",
     [(1, 5, 'first line must be the atom count, got "H 1 1 1"; the file cannot be divided into frames from '
             'line 5 on')]),
    # A bad coordinate fails its frame, on its line; the next frame starts where the count says.
    ("2\n\nH 0 0 0\nH 1,5 0 0\n2\n\nH 0 0 0\nH 0.74 0 0\n", [(0, 4, "atom line 2: x coordinate is not a number")]),
    # A comment line's extended keys that do not read fail the frame alone.
    ('2\nLattice="3 0 0" pbc="T T T"\nH 0 0 0\nH 0.74 0 0\n2\n\nH 0 0 0\nH 0.74 0 0\n',
     [(0, 2, 'comment line: Lattice must be nine numbers, got "3 0 0"')]),
    # An empty file is one frame that fails.
    ("", [(0, 1, "empty file")]),
])
def test_frames_that_cannot_be_read_fail_alone(text, failures, tmp_path):
    path = tmp_path / "frames.xyz"
    path.write_text(text)
    summary = lint_dataset([str(path)], str(tmp_path / "out"))
    found = [(frame, line, message) for frame, code, message, line, _ in rows(str(tmp_path / "out"))
             if code == output.UNREADABLE_CODE]
    assert found == failures
    assert summary.report.frames_in == summary.report.linted + summary.report.failed
    assert summary.report.failed == len(failures)


def test_a_shard_that_cannot_be_read_is_retried_then_reported_with_its_frames(client, tmp_path):
    good = tmp_path / "good.xyz"
    good.write_text("2\n\nH 0 0 0\nH 0.74 0 0\n")
    broken = tmp_path / "broken.h5"
    broken.write_bytes(b"not an HDF5 file")
    summary = lint_dataset([str(good), str(broken)], str(tmp_path / "out"), client=client, retries=1)
    assert [partition.path for partition in summary.crashed] == [str(broken)]
    statuses = {row["source"]: row["status"] for row in output.read_summary(str(tmp_path / "out")).to_pylist()}
    assert statuses == {str(good): "done", str(broken): "crashed"}
    (crash,) = [row for row in rows(str(tmp_path / "out")) if row[1] == output.CRASHED_CODE]
    assert crash[2].startswith(f"cannot read {broken} after 2 tries")
    assert (summary.report.frames_in, summary.report.linted, summary.report.failed) == (2, 1, 1)


def test_a_partition_that_keeps_failing_is_reported_with_its_frame_range(monkeypatch, tmp_path):
    from quorv_lint_datasets.sources import xyz
    path = tmp_path / "three.xyz"
    path.write_text("2\n\nH 0 0 0\nH 0.74 0 0\n" * 3)

    def broken_read(partition, mapping):
        if partition.first_frame == 2:
            raise MemoryError("no room")
        return real_read(partition, mapping)

    real_read = xyz.read
    monkeypatch.setattr(xyz, "read", broken_read)
    summary = lint_dataset([str(path)], str(tmp_path / "out"), partition_frames=2, retries=1)
    assert [(p.first_frame, p.stop_frame) for p in summary.crashed] == [(2, 3)]
    (crash,) = [row for row in rows(str(tmp_path / "out")) if row[1] == output.CRASHED_CODE]
    assert crash[:2] == (2, output.CRASHED_CODE)
    assert crash[2] == "partition crashed after 2 tries: frames 2 to 2 not linted (MemoryError: no room)"
    assert (summary.report.frames_in, summary.report.linted, summary.report.failed) == (3, 2, 1)


def test_a_partition_that_fails_once_is_retried_and_then_done(monkeypatch, tmp_path):
    from quorv_lint_datasets.sources import xyz
    path = tmp_path / "one.xyz"
    path.write_text("2\n\nH 0 0 0\nH 0.74 0 0\n")
    real_read, calls = xyz.read, []

    def flaky_read(partition, mapping):
        calls.append(partition)
        if len(calls) == 1:
            raise OSError("the file system hiccupped")
        return real_read(partition, mapping)

    monkeypatch.setattr(xyz, "read", flaky_read)
    summary = lint_dataset([str(path)], str(tmp_path / "out"), retries=2)
    assert len(calls) == 2 and summary.crashed == []
    assert (summary.report.linted, summary.report.failed) == (1, 0)


def test_the_command_prints_the_tables_and_draws_the_picture(tmp_path, capsys):
    from quorv_lint_datasets.cli import main
    path = str(tmp_path / "set.xyz")
    synthetic.write_xyz(path, 200, {5: "bohr", 9: "unreadable"})
    picture = tmp_path / "picture.png"
    status = main([path, "-o", str(tmp_path / "out"), "--serial", "--no-progress", "--plot", str(picture)])
    printed = capsys.readouterr().out
    assert status == 2
    assert "frames in 200 = linted 199 + failed 1" in printed
    assert "unit-scale" in printed and "atom line N: x coordinate is not a number" in printed
    assert picture.read_bytes().startswith(b"\x89PNG")
    assert os.path.isdir(tmp_path / "out" / "findings")


def test_hdf5_groups_nest_and_elements_may_be_symbols(tmp_path):
    import h5py
    import numpy as np
    path = tmp_path / "ani1.h5"
    water = np.array([[[0.0, 0.0, 0.117], [0.0, 0.757, -0.467], [0.0, -0.757, -0.467]]])
    with h5py.File(path, "w") as handle:
        # The ANI-1 layout: molecules nested one level down, species as bytes.
        handle.create_group("gdb11_s01")
        handle["gdb11_s01/water"] = water  # a dataset beside the molecule groups is not a molecule
        molecule = handle.create_group("gdb11_s01/gdb11_s01-0")
        molecule["species"] = np.array([b"O", b"H", b"H"])
        molecule["coordinates"] = np.concatenate([water, water[:, [0, 1, 1]]])  # frame 1: a duplicated H
        broken = handle.create_group("gdb11_s02/gdb11_s02-0")
        broken["species"] = np.array([b"O", b"H"])  # two elements for three atoms
        broken["coordinates"] = water
    summary = lint_dataset([str(path)], str(tmp_path / "out"), preset="ani")
    found = [(frame, code, key) for frame, code, _, _, key in rows(str(tmp_path / "out"))]
    assert found == [(1, "overlapping-atoms", "/gdb11_s01/gdb11_s01-0/1"),
                     (2, output.UNREADABLE_CODE, "/gdb11_s02/gdb11_s02-0/0")]
    assert (summary.report.frames_in, summary.report.linted, summary.report.failed) == (3, 2, 1)


def test_periodic_ase_rows_are_linted_in_their_cell(tmp_path):
    import ase
    import ase.build
    import ase.db
    path = str(tmp_path / "cells.db")
    # Each O-H bond crosses a wall of the cell.
    water = ase.Atoms("OH2", positions=[[0.05, 0.05, 5], [9.09, 0.05, 5], [0.30, 9.12, 5]], cell=[10, 10, 10],
                      pbc=True)
    with ase.db.connect(path, append=False) as db:
        db.write(ase.build.bulk("Cu", "fcc", a=3.61), charge=0, multiplicity=2)
        db.write(water, charge=0, multiplicity=1)
        water.pbc = False  # the same atoms as a molecule are torn apart
        db.write(water, charge=0, multiplicity=1)
        db.write(ase.Atoms("Cu", pbc=True), charge=0, multiplicity=2)  # periodic, but no cell
    summary = lint_dataset([path], str(tmp_path / "out"))
    assert [(frame, code, message[:32]) for frame, code, message, _, _ in rows(str(tmp_path / "out"))] == [
        (2, "bare-heteroatom", "atom 0 (O) has no bonding partne"),
        (2, "unit-scale", "closest hydrogen bond is 9.04 Å "),
        (3, output.UNREADABLE_CODE, "the cell: its periodic vectors m")]
    assert (summary.report.linted, summary.report.failed) == (3, 1)


# Frames on which the preview rule set judges otherwise than the strict one, and one on which both agree.
PREVIEW_FRAMES = [
    # C-Cl 1.77 Å: beyond the strict 1.75 Å cut-off, a bond by the two atoms' radii.
    ("C 0 0 0\nCl 1.022 1.022 1.022\nCl -1.022 -1.022 1.022\nCl -1.022 1.022 -1.022\nCl 1.022 -1.022 -1.022",
     1, ["bare-heteroatom"], []),
    # Ethane stripped of its hydrogens: the C-C contact is a partner, yet each C lacks three bonds.
    ("C 0 0 0\nC 1.54 0 0", 1, [], ["missing-hydrogens"]),
    # Selenium is outside the strict table: there the count abstains, the preview knows its 34 electrons.
    ("Se 0 0 0\nH 1.46 0 0\nH 0 1.46 0", 2, ["electron-parity-abstain"], ["electron-parity"]),
    # A real hydride: too long an X-H bond for the strict rules, LiH's own length for the preview.
    ("Li 0 0 0\nH 1.6 0 0", 1, ["unit-scale"], []),
    ("O 0 0 0.117\nH 0 0.757 -0.467\nH 0 -0.757 -0.467", 1, [], []),
]


def test_the_command_with_preview_judges_by_the_preview_rules_and_without_it_as_lint_xyz(tmp_path):
    import quorv_lint
    from quorv_lint_datasets.cli import main
    texts = [f"{len(atoms.splitlines())}\ncharge=0 multiplicity={multiplicity}\n{atoms}\n"
             for atoms, multiplicity, _, _ in PREVIEW_FRAMES]
    path = tmp_path / "textbook.xyz"
    path.write_text("".join(texts))
    found = {}
    for name, flags in (("strict", []), ("preview", ["--preview"])):
        out = str(tmp_path / name)
        assert main([str(path), "-o", out, "--serial", "--no-progress", *flags]) == 1
        found[name] = [[] for _ in texts]
        for row in output.read_findings(out).to_pylist():
            found[name][row["frame"]].append((row["code"], row["message"]))
    assert found["strict"] == [[(f.code, f.message) for f in quorv_lint.lint_xyz(text)] for text in texts]
    assert [[code for code, _ in frame] for frame in found["strict"]] == [strict for _, _, strict, _ in PREVIEW_FRAMES]
    assert [[code for code, _ in frame] for frame in found["preview"]] == [preview for *_, preview in PREVIEW_FRAMES]


@pytest.mark.parametrize("suffix", ["db", "aselmdb"])
def test_ase_charges_are_read_from_the_row_s_key_value_pairs_then_its_data(suffix, tmp_path):
    import ase
    import ase.db
    if suffix == "aselmdb":
        pytest.importorskip("ase_db_backends")
    path = str(tmp_path / f"ions.{suffix}")
    hydroxide = ase.Atoms("OH", positions=[[0, 0, 0], [0.97, 0, 0]])
    with ase.db.connect(path, append=False) as db:
        # ASE's own `charge` of a row is the sum of its initial charges: 0 here, which must not win.
        db.write(hydroxide, charge=-1, spin=1)
        db.write(hydroxide, data={"charge": -1, "spin": 1})  # the same kept in the data
        db.write(hydroxide, charge=0, spin=1)
    summary = lint_dataset([path], str(tmp_path / "out"), preset="omol25")
    assert [(frame, code) for frame, code, *_ in rows(str(tmp_path / "out"))] == [(2, "electron-parity")]
    assert (summary.report.linted, summary.report.failed) == (3, 0)
