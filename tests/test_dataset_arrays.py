"""The array path of the data-set package gives, frame by frame, exactly the
findings that lint_xyz gives the same frame written as text."""
import math
import struct

import pytest

np = pytest.importorskip("numpy")

import quorv_lint
from quorv_lint_datasets import lint_arrays

SYMBOLS = ["H", "C", "N", "O", "S", "P", "Fe", "Zn", "Cu", "cl", "FE", "Xx", "C1", "6", "Pt", "He", "X", "h"]
NUMBERS = [0, 1, 1, 1, 6, 7, 8, 15, 16, 26, 29, 30, 78, 80, 118]
SUBNORMAL = struct.unpack("<d", struct.pack("<Q", 1))[0]
SPECIAL = [math.nan, math.inf, -math.inf, 1e308, -1e308, SUBNORMAL, -SUBNORMAL, 0.0, -0.0, 2.2250738585072014e-308]
CHARGES = [None, 0, 1, -1, 2, -(2**63), 2**63 - 1]
MULTIPLICITIES = [None, 0, 1, 2, 3, -1, 2**32 - 1, 2**32, 2**40]


def render_xyz(symbols, positions, charge, multiplicity):
    comment = " ".join(part for part in (None if charge is None else f"charge={charge}",
                                         None if multiplicity is None else f"multiplicity={multiplicity}") if part)
    lines = [str(len(symbols)), comment]
    lines += [f"{symbol} {float(x)!r} {float(y)!r} {float(z)!r}" for symbol, (x, y, z) in zip(symbols, positions)]
    return "\n".join(lines) + "\n"


def generated_frames(rng, count, pool):
    frames = []
    for _ in range(count):
        atoms = int(rng.integers(0, 9))
        elements = [pool[i] for i in rng.integers(0, len(pool), atoms)]
        # Clustered near bonding distances, so that every geometry rule fires now and then.
        positions = rng.normal(0.0, rng.choice([0.4, 1.0, 2.5]), (atoms, 3))
        for _ in range(int(rng.integers(0, 3))) if atoms else ():
            positions[rng.integers(0, atoms), rng.integers(0, 3)] = SPECIAL[rng.integers(0, len(SPECIAL))]
        if atoms > 1 and rng.random() < 0.2:
            positions[1] = positions[0]
        frames.append((elements, positions, CHARGES[rng.integers(0, len(CHARGES))],
                       MULTIPLICITIES[rng.integers(0, len(MULTIPLICITIES))]))
    return frames


def concatenated(frames):
    elements = [element for frame in frames for element in frame[0]]
    positions = np.concatenate([frame[1] for frame in frames]).reshape(-1, 3)
    offsets = np.cumsum([0] + [len(frame[0]) for frame in frames])
    return elements, positions, offsets


def expected_by_frame(frames, symbols_of):
    return [[(f.code, f.severity, f.message) for f in quorv_lint.lint_xyz(render_xyz(symbols_of(elements), positions,
                                                                                     charge, multiplicity))]
            for elements, positions, charge, multiplicity in frames]


def found_by_frame(results, frames):
    found = [[] for _ in frames]
    for finding in results.findings:
        found[finding.frame].append((finding.code, finding.severity, finding.message))
    return found


@pytest.mark.parametrize("kind", ["symbols", "numbers"])
def test_each_frame_gets_what_lint_xyz_gives_its_text(kind):
    rng = np.random.default_rng(14)
    pool = SYMBOLS if kind == "symbols" else NUMBERS
    frames = generated_frames(rng, 3000, pool)
    elements, positions, offsets = concatenated(frames)
    charges = [frame[2] for frame in frames]
    multiplicities = [frame[3] for frame in frames]
    results = lint_arrays(np.asarray(elements) if kind == "numbers" else elements, positions, offsets,
                          charges, multiplicities)
    symbols_of = (lambda e: e) if kind == "symbols" else (lambda e: ["X" if z == 0 else _symbol(z) for z in e])
    assert results.failures == []
    assert found_by_frame(results, frames) == expected_by_frame(frames, symbols_of)
    assert results.frames == len(frames)


def _symbol(z):
    return {1: "H", 6: "C", 7: "N", 8: "O", 15: "P", 16: "S", 26: "Fe", 29: "Cu", 30: "Zn", 78: "Pt", 80: "Hg",
            118: "Og"}[z]


def test_unknown_atomic_numbers_fail_their_frame_alone():
    results = lint_arrays([8, 1, 1, 200, 1, -3], np.zeros((6, 3)), [0, 3, 4, 5, 6], 0, 1)
    assert [(f.frame, f.message) for f in results.failures] == [
        (1, "atom 0: atomic number 200 is not an element"), (3, "atom 0: atomic number -3 is not an element")]
    assert {f.frame for f in results.findings} <= {0, 2}
    assert math.isnan(results.hydrogen_contacts[1]) and results.hydrogen_contacts[0] == 0.0


@pytest.mark.parametrize("symbol, problem", [("", "empty"), ("C H", "white space"), ("C\u00a0", "white space")])
def test_a_symbol_no_atom_line_could_hold_fails_the_frames_that_use_it(symbol, problem):
    results = lint_arrays(["O", symbol, "O"], np.zeros((3, 3)), [0, 1, 2, 3])
    assert [f.frame for f in results.failures] == [1]
    assert problem in results.failures[0].message


@pytest.mark.parametrize("positions, offsets, message", [
    (np.zeros((2, 3)), [0, 3], "positions hold 6 numbers"),
    (np.zeros((3, 3)), [1, 3], "offsets must start with 0"),
    (np.zeros((3, 3)), [0, 2, 1, 3], "must not decrease"),
    (np.zeros((3, 3)), [0, 2], "the last offset must be the atom count 3"),
])
def test_arrays_that_do_not_describe_frames_are_refused_whole(positions, offsets, message):
    with pytest.raises(ValueError, match=message):
        lint_arrays([1, 1, 1], positions, offsets)


@pytest.mark.parametrize("cells, pbc, message", [
    (None, [True, True, True], "pbc needs cells"),
    (np.zeros((2, 3, 3)), None, r"cells must have shape \(3, 3\) or \(1, 3, 3\)"),
    (np.eye(3), [True, False], r"pbc \(3,\) or \(1, 3\)"),
])
def test_cells_that_do_not_fit_the_frames_are_refused_whole(cells, pbc, message):
    with pytest.raises(ValueError, match=message):
        lint_arrays([1, 1], np.zeros((2, 3)), [0, 2], cells=cells, pbc=pbc)


def test_masked_charges_are_absent_and_the_unit_scale_converts():
    charges = np.ma.masked_array([0, 0], mask=[False, True])
    water_in_bohr = np.array([[0.0, 0.0, 0.0], [1.81, 0.0, 0.0], [0.0, 1.81, 0.0]])
    results = lint_arrays([8, 1, 1] * 2, np.vstack([water_in_bohr] * 2), [0, 3, 6], charges, 1,
                          scale=0.529177210903)
    assert [(f.frame, f.code) for f in results.findings] == [(1, "electron-parity-abstain")]
    assert results.hydrogen_contacts[0] == pytest.approx(1.81 * 0.529177210903)


def brute_force_contacts(symbols, positions):
    """Closest contact of any hydrogen, and between two heavy atoms: every pair, NaN skipped."""
    hydrogen = heavy = math.inf
    for i in range(len(symbols)):
        for j in range(i + 1, len(symbols)):
            dx, dy, dz = (positions[i][k] - positions[j][k] for k in range(3))
            d = math.sqrt((dx * dx + dy * dy) + dz * dz)
            if math.isnan(d):
                continue
            if "H" in (symbols[i], symbols[j]):
                hydrogen = min(hydrogen, d)
            else:
                heavy = min(heavy, d)
    return hydrogen, heavy


@pytest.mark.parametrize("atoms", [2, 30, 47, 48, 120])  # both sides of the switch to the spatial index
def test_per_frame_contacts_equal_every_pair_measured(atoms):
    rng = np.random.default_rng(atoms)
    frames = []
    for _ in range(8):
        symbols = [["H", "C", "O", "N"][i] for i in rng.integers(0, 4, atoms)]
        positions = rng.uniform(-1, 1, (atoms, 3)) * rng.choice([1.0, 4.0, 30.0])
        if rng.random() < 0.3:
            positions[rng.integers(0, atoms), 0] = SPECIAL[rng.integers(0, len(SPECIAL))]
        frames.append((symbols, positions, None, None))
    elements, positions, offsets = concatenated(frames)
    results = lint_arrays(elements, positions, offsets)
    measured = list(zip(results.hydrogen_contacts.tolist(), results.heavy_contacts.tolist()))
    assert measured == [brute_force_contacts(symbols, p.tolist()) for symbols, p, _, _ in frames]


def random_cell(rng):
    """A triclinic cell of 2.5 to 9 Å, or none; and which of its axes repeat."""
    kind = rng.integers(0, 3)
    if kind == 0:
        return None, None
    cell = np.diag(rng.uniform(2.5, 9.0, 3)) + rng.normal(0.0, 0.4, (3, 3))
    pbc = rng.random(3) < 0.7 if kind == 1 else np.zeros(3, bool)
    return cell.round(3), pbc


def render_extended(symbols, positions, charge, multiplicity, cell, pbc):
    text = render_xyz(symbols, positions, charge, multiplicity)
    if cell is None:
        return text
    count, comment, atoms = text.split("\n", 2)
    lattice = " ".join(repr(float(value)) for value in cell.reshape(-1))
    flags = " ".join("T" if flag else "F" for flag in pbc)
    return f'{count}\nLattice="{lattice}" pbc="{flags}" {comment}\n{atoms}'


@pytest.mark.parametrize("preview", [False, True])
def test_frames_with_cells_get_what_the_xyz_source_gives_them_written_with_lattice(preview, tmp_path):
    pytest.importorskip("pyarrow")
    from quorv_lint_datasets import lint_dataset, output
    rng = np.random.default_rng(15 + preview)
    frames = generated_frames(rng, 600, SYMBOLS)
    cells = [random_cell(rng) for _ in frames]
    path = tmp_path / "frames.extxyz"
    path.write_text("".join(render_extended(*frame, *cell) for frame, cell in zip(frames, cells)))
    lint_dataset([str(path)], str(tmp_path / "out"), preview=preview)
    from_text = [[] for _ in frames]
    for row in output.read_findings(str(tmp_path / "out")).to_pylist():
        from_text[row["frame"]].append((row["code"], row["severity"], row["message"]))

    elements, positions, offsets = concatenated(frames)
    results = lint_arrays(elements, positions, offsets, [frame[2] for frame in frames],
                          [frame[3] for frame in frames],
                          cells=[np.zeros((3, 3)) if cell is None else cell for cell, _ in cells],
                          pbc=[np.zeros(3, bool) if pbc is None else pbc for _, pbc in cells], preview=preview)
    from_arrays = found_by_frame(results, frames)
    for failure in results.failures:
        from_arrays[failure.frame].append((output.UNREADABLE_CODE, output.FAILURE_SEVERITY, failure.message))
    periodic = sum(1 for _, pbc in cells if pbc is not None and pbc.any())
    assert periodic > 100 and from_arrays == from_text
    assert len(results.failures) == (periodic if preview else 0)


def brute_force_periodic_contacts(symbols, positions, cell):
    """The same over the images of a cell that repeats along all three axes, its own images included."""
    hydrogen = heavy = math.inf
    shifts = [np.array(n) @ cell for n in np.ndindex(5, 5, 5)]
    shifts = [shift - 2 * cell.sum(axis=0) for shift in shifts]
    for i in range(len(symbols)):
        for j in range(i, len(symbols)):
            d = min(np.linalg.norm(positions[j] + shift - positions[i]) for shift in shifts
                    if i != j or shift.any())
            if "H" in (symbols[i], symbols[j]):
                hydrogen = min(hydrogen, d)
            else:
                heavy = min(heavy, d)
    return hydrogen, heavy


def test_per_frame_contacts_of_periodic_frames_are_over_every_image():
    rng = np.random.default_rng(7)
    frames, cells = [], []
    for _ in range(40):
        # Cells of 3 to 7 Å: contacts both within the coordination radius and beyond it.
        cell = np.diag(rng.uniform(3.0, 7.0, 3)) + rng.normal(0.0, 0.2, (3, 3))
        atoms = int(rng.integers(1, 7))
        symbols = [["H", "C", "O"][i] for i in rng.integers(0, 3, atoms)]
        frames.append((symbols, rng.uniform(0, 1, (atoms, 3)) @ cell, None, None))
        cells.append(cell)
    elements, positions, offsets = concatenated(frames)
    results = lint_arrays(elements, positions, offsets, cells=cells)
    expected = [brute_force_periodic_contacts(symbols, p, cell) for (symbols, p, _, _), cell in zip(frames, cells)]
    np.testing.assert_allclose(np.column_stack([results.hydrogen_contacts, results.heavy_contacts]), expected,
                               rtol=1e-12)
