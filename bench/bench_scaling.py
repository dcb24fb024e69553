"""How each cost grows with the size of the cluster: lint_json, lint_xyz and
their Python baselines (json.loads with cKDTree queries; ase.io.read) on
solvated clusters of 10^3, 10^4 and 10^5 atoms, plus lint_json on the same
atoms listed in random order (so that no bonding partner is listed next to
its atom and every question goes to the spatial index). Printed as a table
of milliseconds per call and microseconds per atom; linear growth keeps the
per-atom column flat."""

import random
import sys
from pathlib import Path

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from bench_cluster_json import python_checks  # noqa: E402
from bench_xyz import ase_read  # noqa: E402
from solvated_cluster import solvated_atoms, spec_json, xyz_text  # noqa: E402
from timing import best_seconds  # noqa: E402

SIZES = (1_000, 10_000, 100_000)


def measure(atom_count):
    atoms = solvated_atoms(atom_count)
    shuffled = list(atoms)
    random.Random(atom_count).shuffle(shuffled)
    json_text, shuffled_text, xyz = spec_json(atoms), spec_json(shuffled), xyz_text(atoms)
    repeats = 7 if atom_count < 100_000 else 5
    return {
        "lint_json": best_seconds(quorv_lint.lint_json, json_text, repeats=repeats),
        "lint_json, shuffled": best_seconds(quorv_lint.lint_json, shuffled_text, repeats=repeats),
        "json.loads + cKDTree": best_seconds(python_checks, json_text, repeats=repeats),
        "lint_xyz": best_seconds(quorv_lint.lint_xyz, xyz, repeats=repeats),
        "ase.io.read": best_seconds(ase_read, xyz, repeats=3),
    }


def main():
    results = {size: measure(size) for size in SIZES}
    names = list(results[SIZES[0]])
    header = "| call | " + " | ".join(f"{size:,} atoms" for size in SIZES) + " | growth per 10x |"
    print(header)
    print("|" + "---|" * (len(SIZES) + 2))
    for name in names:
        cells = [f"{results[size][name] * 1e3:.2f} ms ({results[size][name] / size * 1e6:.2f} µs/atom)"
                 for size in SIZES]
        growth = (results[SIZES[-1]][name] / results[SIZES[0]][name]) ** (1 / (len(SIZES) - 1))
        print(f"| {name} | " + " | ".join(cells) + f" | {growth:.1f}x |")
    for size in SIZES:
        ratio_json = results[size]["json.loads + cKDTree"] / results[size]["lint_json"]
        ratio_xyz = results[size]["ase.io.read"] / results[size]["lint_xyz"]
        print(f"{size:>7,} atoms: lint_json {ratio_json:.1f}x faster than its baseline, "
              f"lint_xyz {ratio_xyz:.1f}x faster than ase.io.read")


if __name__ == "__main__":
    main()
