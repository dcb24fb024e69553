"""The data-set package: the array path against rendering XYZ text for lint_xyz,
and Dask on this machine against the single-process loop over the same source.

    python bench/bench_datasets.py [FRAMES]

1. HDF5 source (SPICE layout), small molecules: per frame, lint_arrays on the
   arrays read from the file, against rendering the same arrays as XYZ text and
   calling quorv_lint.lint_xyz; and the whole partition (read + lint + Parquet).
2. The same shards linted by quorv-lint-dataset's engine: in this process, and
   on a LocalCluster of 1 and of 2 worker processes. CPU is summed over this
   process and every child (nannies, workers) with psutil.
"""
import sys
import tempfile
import time
from pathlib import Path

import h5py
import numpy as np
import psutil
import quorv_lint
from distributed import Client, LocalCluster

from quorv_lint_datasets import lint_arrays, lint_dataset, synthetic
from quorv_lint_datasets.mapping import Field, mapping_for

sys.path.insert(0, str(Path(__file__).resolve().parent))
from timing import best_seconds  # noqa: E402

SHARDS = 4


def arrays_of(path):
    """Every frame of a SPICE-layout file as concatenated arrays (ångström)."""
    numbers, positions, counts = [], [], []
    with h5py.File(path, "r") as handle:
        for name in handle:
            group = handle[name]
            z = group["atomic_numbers"][()]
            xyz = group["conformations"][()] * synthetic.BOHR
            numbers.append(np.tile(z, len(xyz)))
            positions.append(xyz.reshape(-1, 3))
            counts += [len(z)] * len(xyz)
    return np.concatenate(numbers), np.concatenate(positions), np.concatenate([[0], np.cumsum(counts)])


SYMBOL = {1: "H", 6: "C", 7: "N", 8: "O"}


def render_and_lint(numbers, positions, offsets, charge, multiplicity):
    findings = 0
    for frame in range(len(offsets) - 1):
        lines = [str(offsets[frame + 1] - offsets[frame]), f"charge={charge} multiplicity={multiplicity}"]
        for z, (x, y, w) in zip(numbers[offsets[frame]:offsets[frame + 1]].tolist(),
                                positions[offsets[frame]:offsets[frame + 1]].tolist()):
            lines.append(f"{SYMBOL.get(z, 'X')} {x:.8f} {y:.8f} {w:.8f}")
        findings += len(quorv_lint.lint_xyz("\n".join(lines) + "\n"))
    return findings


def cpu_seconds():
    """User + system CPU of this process and all its children, alive or reaped."""
    me = psutil.Process()
    total = sum(me.cpu_times()[:4])
    for child in me.children(recursive=True):
        try:
            times = child.cpu_times()
            total += times.user + times.system
        except psutil.NoSuchProcess:
            pass
    return total


def engine_run(shards, out_dir, workers):
    mapping = mapping_for("spice", "hdf5", multiplicity=Field.parse("multiplicity"))
    if workers == 0:
        start_cpu, start = cpu_seconds(), time.perf_counter()
        summary = lint_dataset(shards, out_dir, mappings={"hdf5": mapping})
        return summary, cpu_seconds() - start_cpu, time.perf_counter() - start
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        client.run(lambda: __import__("quorv_lint_datasets.partition_lint"))  # imports are not the work
        start_cpu, start = cpu_seconds(), time.perf_counter()
        summary = lint_dataset(shards, out_dir, mappings={"hdf5": mapping}, client=client)
        return summary, cpu_seconds() - start_cpu, time.perf_counter() - start


def main(frames):
    work = Path(tempfile.mkdtemp(prefix="bench-datasets-"))
    faults = synthetic.plant(frames, every=1000)
    per_shard = frames // SHARDS
    shards = []
    for shard in range(SHARDS):
        path = str(work / f"shard{shard}.h5")
        local = {frame - shard * per_shard: kind for frame, kind in faults.items()
                 if shard * per_shard <= frame < (shard + 1) * per_shard and kind != "unreadable"}
        synthetic.write_hdf5(path, per_shard, local, layout="spice", seed=shard)
        shards.append(path)
    print(f"{SHARDS} HDF5 shards (SPICE layout) of {per_shard:,} frames, 3 to 6 atoms each, in {work}")

    numbers, positions, offsets = arrays_of(shards[0])
    sample = slice(0, 20_001)
    sample_offsets = offsets[sample]
    sample_atoms = int(sample_offsets[-1])
    sample_frames = len(sample_offsets) - 1
    array_seconds = best_seconds(lint_arrays, numbers[:sample_atoms], positions[:sample_atoms], sample_offsets, 0, 1)
    text_seconds = best_seconds(render_and_lint, numbers, positions, sample_offsets, 0, 1, repeats=3)
    print("\n1. per frame, HDF5 arrays already read")
    print(f"   array path (lint_arrays)            {array_seconds / sample_frames * 1e6:8.2f} µs")
    print(f"   render XYZ text + lint_xyz          {text_seconds / sample_frames * 1e6:8.2f} µs")
    print(f"   ratio                               {text_seconds / array_seconds:8.1f}x  (goal: >= 8x)")

    print(f"\n2. the engine over all {frames:,} frames (partitions of 1e5 frames)")
    results = {}
    for workers in (0, 1, 2):
        summary, cpu, wall = engine_run(shards, str(work / f"out{workers}"), workers)
        report = summary.report
        assert report.frames_in == report.linted + report.failed == frames
        results[workers] = (cpu, wall)
        label = "single process (no Dask)" if workers == 0 else f"LocalCluster, {workers} worker(s)"
        print(f"   {label:34} CPU {cpu / frames * 1e6:6.2f} µs/frame   {frames / wall:10,.0f} frames/s")
    base_cpu = results[0][0]
    for workers in (1, 2):
        print(f"   CPU per frame, {workers} worker(s) / single process: {results[workers][0] / base_cpu:5.2f}x "
              f"(goal: <= 1.5x)")


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 400_000)
