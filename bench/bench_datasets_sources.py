"""CPU per frame of each source, read and linted in one process, one partition each.

    python bench/bench_datasets_sources.py

The same generated small molecules (3 to 6 atoms) in every format: how much
of a frame's cost is reading it, and what 10^8 frames would take. The
periodic XYZ set puts each molecule in a 10 Å box repeating along all axes.
"""
import tempfile
import time
from pathlib import Path

import numpy as np

from quorv_lint_datasets import lint_arrays, synthetic
from quorv_lint_datasets.mapping import Field, mapping_for
from quorv_lint_datasets.partition_lint import lint_partition
from quorv_lint_datasets.sources import module_for


def write_periodic_xyz(path, count, faults):
    synthetic.write_xyz(path, count, faults)
    text = Path(path).read_text().replace('pbc="F F F"', 'Lattice="10 0 0 0 10 0 0 0 10" pbc="T T T"')
    Path(path).write_text(text)


SOURCES = [
    # (name, file, frames, writer, kind, mapping)
    ("extended XYZ", "set.extxyz", 100_000, synthetic.write_xyz, "xyz", mapping_for(None, "xyz")),
    ("extended XYZ, periodic", "cells.extxyz", 100_000, write_periodic_xyz, "xyz", mapping_for(None, "xyz")),
    ("HDF5, SPICE layout", "set.h5", 100_000, synthetic.write_hdf5, "hdf5",
     mapping_for("spice", "hdf5", multiplicity=Field.parse("multiplicity"))),
    ("ASE SQLite (.db)", "set.db", 5_000, synthetic.write_ase_db, "ase", mapping_for(None, "ase")),
    ("ASE-LMDB (.aselmdb)", "set.aselmdb", 20_000, synthetic.write_ase_db, "ase", mapping_for(None, "ase")),
]


def cpu_per_frame(function, frames, repeats=3):
    best = float("inf")
    for _ in range(repeats):
        start = time.process_time()
        function()
        best = min(best, time.process_time() - start)
    return best / frames


def main():
    work = Path(tempfile.mkdtemp(prefix="bench-sources-"))
    print(f"{'source':24} {'plan':>10} {'read+lint':>10}   (CPU per frame, best of 3)")
    costs = {}
    for name, file_name, frames, write, kind, mapping in SOURCES:
        path = str(work / file_name)
        write(path, frames, synthetic.plant(frames, every=1000))
        module = module_for(kind)
        plan = cpu_per_frame(lambda: module.plan(path, mapping, frames), frames)
        (partition,) = module.plan(path, mapping, frames)
        linted = cpu_per_frame(lambda: lint_partition(partition, 0, mapping, None), frames)
        costs[name] = plan + linted
        print(f"{name:24} {plan * 1e6:8.1f} µs {linted * 1e6:8.1f} µs")

    made = synthetic.frames(100_000, {}, seed=1)
    numbers = np.concatenate([f.numbers for f in made])
    positions = np.concatenate([f.positions for f in made])
    offsets = np.concatenate([[0], np.cumsum([len(f.numbers) for f in made])])
    core = cpu_per_frame(lambda: lint_arrays(numbers, positions, offsets, 0, 1), len(made))
    print(f"{'the rules alone (arrays)':24} {'':>10} {core * 1e6:8.1f} µs")
    print("\n10^8 frames on 100 nodes, from these per-frame costs (every core busy, no engine overhead):")
    for name, cost in costs.items():
        for cores in (1, 32):
            seconds = 1e8 * cost / (100 * cores)
            print(f"  {name:24} 100 nodes x {cores:2} cores: {seconds / 60:8.1f} min")


if __name__ == "__main__":
    main()
