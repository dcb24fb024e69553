"""lint_xyz on shapes that defeat a naive spatial index, each at 100,000 atoms,
against the well-spread solvated box of the same size; where a shape makes
many findings, also against pandas.read_csv of the coordinates and SciPy's
cKDTree producing the same pairs or nearest distances. All timed in this run;
the goal is each shape within 3x of the box, or within 3x of that baseline.

Shapes:
- far fragments: the box with its second half moved 3e9 Å along x, as a
  unit mix-up makes it;
- stripped hydrogens: the heavy atoms of a box three times as large, every
  oxygen a bare-heteroatom finding whose nearest partner is ~2.8 Å away;
- dense cloud: helium at 38 atoms per Å^3, about a million overlapping pairs;
- line: carbon atoms 1.5 Å apart along x."""

import io
import random
import sys
from pathlib import Path

import pandas
from scipy.spatial import cKDTree

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, xyz_text  # noqa: E402
from timing import best_seconds, milliseconds  # noqa: E402

ATOM_COUNT = 100_000
FAR_APART = 3e9
DENSE_CLOUD_DENSITY = 38.0  # atoms per Å^3
LINE_SPACING = 1.5
OVERLAP_DISTANCE = 0.5


def far_fragments(atoms):
    half = len(atoms) // 2
    return atoms[:half] + [(e, (x + FAR_APART, y, z)) for e, (x, y, z) in atoms[half:]]


def stripped_hydrogens(count):
    return [atom for atom in solvated_atoms(3 * count) if atom[0] != "H"][:count]


def dense_cloud(count):
    rng = random.Random(1)
    side = (count / DENSE_CLOUD_DENSITY) ** (1 / 3)
    return [("He", (rng.uniform(0, side), rng.uniform(0, side), rng.uniform(0, side))) for _ in range(count)]


def line(count):
    return [("C", (LINE_SPACING * i, 0.0, 0.0)) for i in range(count)]


def coordinates(text):
    return pandas.read_csv(io.StringIO(text), sep=r"\s+", skiprows=2, header=None, usecols=[1, 2, 3]).to_numpy()


def nearest_partners(text):
    points = coordinates(text)
    distances, _ = cKDTree(points).query(points, k=2)
    return distances[:, 1]


def overlapping_pairs(text):
    return cKDTree(coordinates(text)).query_pairs(OVERLAP_DISTANCE, output_type="ndarray")


SHAPES = {
    "solvated box": (lambda: solvated_atoms(ATOM_COUNT), None),
    "far fragments": (lambda: far_fragments(solvated_atoms(ATOM_COUNT)), None),
    "stripped hydrogens": (lambda: stripped_hydrogens(ATOM_COUNT), nearest_partners),
    "dense cloud": (lambda: dense_cloud(ATOM_COUNT), overlapping_pairs),
    "line": (lambda: line(ATOM_COUNT), None),
}


def main():
    print(f"lint_xyz on {ATOM_COUNT:,} atoms, best of 3 calls each")
    box_seconds = None
    for name, (make_atoms, baseline) in SHAPES.items():
        text = xyz_text(make_atoms())
        findings = len(quorv_lint.lint_xyz(text))
        seconds = best_seconds(quorv_lint.lint_xyz, text, repeats=3)
        box_seconds = box_seconds or seconds
        line_text = f"{name:19s} {milliseconds(seconds)}  {findings:9,} findings  {seconds / box_seconds:5.2f}x the box"
        if baseline is not None:
            baseline_seconds = best_seconds(baseline, text, repeats=3)
            line_text += (f"; pandas + cKDTree {milliseconds(baseline_seconds).strip()}, "
                          f"lint_xyz {seconds / baseline_seconds:.2f}x its time")
        print(line_text)
    print("goal: each shape within 3x of the box, or within 3x of pandas + cKDTree where it makes many findings")


if __name__ == "__main__":
    main()
