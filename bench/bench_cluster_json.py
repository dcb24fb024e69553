"""lint_json on a 100,000-atom solvated cluster against what a Python user
would write for the same checks: json.loads, then SciPy's cKDTree pair query
at 0.5 Å (overlapping atoms), nearest-neighbour query (bare heteroatoms,
unit scale) and the neighbours of each metal within 2.7 Å (metal
coordination). And against orjson.loads alone, which only parses. All are
timed in this run; the goals are lint_json at least 20x faster than the
first and at least 2x faster than the second. The reader's own share of a
lint_json call is measured outside Python by `make bench-core`."""

import json
import sys
from pathlib import Path

import numpy as np
from scipy.spatial import cKDTree

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, spec_json  # noqa: E402
from timing import best_seconds_interleaved, milliseconds  # noqa: E402

try:
    import orjson
except ImportError:  # listed in requirements-dev.txt; the ratio is left out without it
    orjson = None

ATOM_COUNT = 100_000
OVERLAP_DISTANCE = 0.5
METAL_REACH = 2.7
METALS = {"Fe", "Zn", "Cu", "Ni", "Co", "Mn", "Cr", "Ti", "Pt", "Pd", "Ru", "Rh", "Ag", "Au"}
REPEATS = 9


def python_checks(text):
    spec = json.loads(text)
    atoms = spec["atoms"]
    coordinates = np.array([(atom["x"], atom["y"], atom["z"]) for atom in atoms], dtype=float)
    tree = cKDTree(coordinates)
    overlapping = tree.query_pairs(OVERLAP_DISTANCE, output_type="ndarray")
    nearest, _ = tree.query(coordinates, k=2)
    metals = [i for i, atom in enumerate(atoms) if atom["element"] in METALS]
    metal_neighbours = tree.query_ball_point(coordinates[metals], METAL_REACH) if metals else []
    return overlapping, nearest[:, 1], metal_neighbours


def main():
    text = spec_json(solvated_atoms(ATOM_COUNT))
    findings = quorv_lint.lint_json(text)
    overlapping, _, _ = python_checks(text)
    megabytes = len(text.encode()) / 1e6
    print(f"solvated cluster: {ATOM_COUNT} atoms, {megabytes:.1f} MB of JSON, "
          f"{len(findings)} findings, {len(overlapping)} overlapping pairs; best of {REPEATS} calls each, taken in turns")
    calls = {"lint_json": (quorv_lint.lint_json, (text,)), "python": (python_checks, (text,))}
    if orjson is not None:
        calls["orjson"] = (orjson.loads, (text,))
    seconds = best_seconds_interleaved(calls, repeats=REPEATS)
    lint_seconds = seconds["lint_json"]
    print(f"quorv_lint.lint_json:                           {milliseconds(lint_seconds)}")
    print(f"json.loads + cKDTree pairs, nearest, metals:    {milliseconds(seconds['python'])}")
    print(f"lint_json is {seconds['python'] / lint_seconds:.1f}x faster than json.loads + cKDTree (goal: 20x)")
    if orjson is None:
        print("orjson is not installed: no parse-only baseline (pip install orjson)")
        return
    print(f"orjson.loads alone:                             {milliseconds(seconds['orjson'])}")
    print(f"lint_json is {seconds['orjson'] / lint_seconds:.1f}x faster than orjson.loads (goal: 2x)")


if __name__ == "__main__":
    main()
