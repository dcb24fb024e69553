"""lint_json on a 100,000-atom solvated cluster against what a Python user
would write for the same checks: json.loads, then SciPy's cKDTree pair query
at 0.5 Å (overlapping atoms) and nearest-neighbour query (bare heteroatoms,
unit scale). Both are timed in this run; the goal is lint_json at least 5x
faster."""

import json
import sys
from pathlib import Path

import numpy as np
from scipy.spatial import cKDTree

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, spec_json  # noqa: E402
from timing import best_seconds, milliseconds  # noqa: E402

ATOM_COUNT = 100_000
OVERLAP_DISTANCE = 0.5


def python_checks(text):
    spec = json.loads(text)
    coordinates = np.array([(atom["x"], atom["y"], atom["z"]) for atom in spec["atoms"]], dtype=float)
    tree = cKDTree(coordinates)
    overlapping = tree.query_pairs(OVERLAP_DISTANCE, output_type="ndarray")
    nearest, _ = tree.query(coordinates, k=2)
    return overlapping, nearest[:, 1]


def main():
    text = spec_json(solvated_atoms(ATOM_COUNT))
    findings = quorv_lint.lint_json(text)
    overlapping, _ = python_checks(text)
    megabytes = len(text.encode()) / 1e6
    print(f"solvated cluster: {ATOM_COUNT} atoms, {megabytes:.1f} MB of JSON, "
          f"{len(findings)} findings, {len(overlapping)} overlapping pairs")
    lint_seconds = best_seconds(quorv_lint.lint_json, text)
    python_seconds = best_seconds(python_checks, text)
    print(f"quorv_lint.lint_json:                  {milliseconds(lint_seconds)}")
    print(f"json.loads + cKDTree pairs + nearest:  {milliseconds(python_seconds)}")
    print(f"lint_json is {python_seconds / lint_seconds:.1f}x faster than the Python baseline (goal: 5x)")


if __name__ == "__main__":
    main()
