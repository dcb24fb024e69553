"""Throughput of lint_json (reader and rules) against Python's json.loads on
the same realistic 10,000-atom cluster spec, best of several runs each."""

import json
import random
import time

import quorv_lint

ATOM_COUNT = 10_000
SEED = 20240611
REPEATS = 7
ELEMENTS = ["C", "H", "H", "H", "O", "N", "S", "Fe", "Cu", "Cl"]


def make_spec_text():
    rng = random.Random(SEED)
    atoms = []
    # Atoms on a jittered grid 1.5 Å apart: dense like a real cluster, no overlaps.
    side = round(ATOM_COUNT ** (1 / 3)) + 1
    for index in range(ATOM_COUNT):
        i, j, k = index % side, (index // side) % side, index // (side * side)
        atoms.append({
            "element": rng.choice(ELEMENTS),
            "x": round(1.5 * i + rng.uniform(-0.1, 0.1), 6),
            "y": round(1.5 * j + rng.uniform(-0.1, 0.1), 6),
            "z": round(1.5 * k + rng.uniform(-0.1, 0.1), 6),
        })
    spec = {
        "atoms": atoms,
        "charge": 0,
        "spin_multiplicity": 2,
        "ecp_elements": ["Fe", "Cu"],
        "metal_oxidation_state": 2,
        "comment": "generated for the benchmark",
    }
    return json.dumps(spec, indent=1)


def best_seconds(function, text):
    best = float("inf")
    for _ in range(REPEATS):
        start = time.perf_counter()
        function(text)
        best = min(best, time.perf_counter() - start)
    return best


def main():
    text = make_spec_text()
    megabytes = len(text.encode()) / 1e6
    lint_seconds = best_seconds(quorv_lint.lint_json, text)
    loads_seconds = best_seconds(json.loads, text)
    print(f"spec: {ATOM_COUNT} atoms, {megabytes:.2f} MB, best of {REPEATS}")
    print(f"quorv_lint.lint_json: {lint_seconds * 1e3:8.2f} ms  {megabytes / lint_seconds:8.1f} MB/s")
    print(f"json.loads:           {loads_seconds * 1e3:8.2f} ms  {megabytes / loads_seconds:8.1f} MB/s")
    print(f"lint_json / json.loads throughput ratio: {loads_seconds / lint_seconds:.2f}")


if __name__ == "__main__":
    main()
