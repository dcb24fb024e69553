"""10^6 generated frames with planted faults, end to end on 2 Dask workers.

    python bench/bench_datasets_million.py [FRAMES] [WORKERS]

Half the frames in extended-XYZ shards, half in HDF5 shards (SPICE layout),
10^5 frames each; one fault per 1,000 frames: a wrong multiplicity, a
duplicated atom, coordinates in bohr, an unreadable frame. Checks that every
planted fault is found in its frame and that frames in = linted + failed,
and prints frames/s and CPU per frame (summed over every process).
"""
import sys
import tempfile
import time
from pathlib import Path

import pyarrow.compute as pc
from distributed import Client, LocalCluster

from quorv_lint_datasets import lint_dataset, output, synthetic
from quorv_lint_datasets.mapping import Field, mapping_for

sys.path.insert(0, str(Path(__file__).resolve().parent))
from bench_datasets import cpu_seconds  # noqa: E402

SHARD_FRAMES = 100_000
EXPECTED = {"multiplicity": "electron-parity", "overlap": "overlapping-atoms", "bohr": "unit-scale",
            "unreadable": output.UNREADABLE_CODE}


def write_shards(work: Path, frames: int):
    faults = synthetic.plant(frames, every=1000, seed=1)
    planted = {}
    started = time.perf_counter()
    for shard, first in enumerate(range(0, frames, SHARD_FRAMES)):
        local = {frame - first: kind for frame, kind in faults.items() if first <= frame < first + SHARD_FRAMES}
        count = min(SHARD_FRAMES, frames - first)
        if shard % 2 == 0:
            path = str(work / f"shard{shard:02d}.extxyz")
            synthetic.write_xyz(path, count, local, seed=shard)
        else:
            path = str(work / f"shard{shard:02d}.h5")
            synthetic.write_hdf5(path, count, local, layout="spice", seed=shard)
        planted[path] = local
    print(f"wrote {frames:,} frames in {len(planted)} shards ({len(faults)} planted faults) "
          f"in {time.perf_counter() - started:.0f} s, to {work}")
    return planted


def main(frames: int, workers: int):
    work = Path(tempfile.mkdtemp(prefix="bench-million-"))
    planted = write_shards(work, frames)
    # The XYZ shards keep their own preset: charge and multiplicity from the comment line.
    mappings = {"hdf5": mapping_for("spice", "hdf5", multiplicity=Field.parse("multiplicity"))}
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        start_cpu, start = cpu_seconds(), time.perf_counter()
        summary = lint_dataset(sorted(planted), str(work / "out"), mappings=mappings, client=client)
        wall, cpu = time.perf_counter() - start, cpu_seconds() - start_cpu
    report = summary.report
    table = output.read_summary(str(work / "out"))
    frames_in = pc.sum(table["frames_in"]).as_py()
    linted, failed = pc.sum(table["linted"]).as_py(), pc.sum(table["failed"]).as_py()
    print(f"{workers} workers: {wall:.1f} s, {frames / wall:,.0f} frames/s, CPU {cpu / frames * 1e6:.1f} µs/frame "
          f"summed over all processes")
    print(f"summary tables: frames in {frames_in:,} = linted {linted:,} + failed {failed:,}: "
          f"{frames_in == linted + failed == frames}")

    findings = output.read_findings(str(work / "out")).select(["source", "frame", "code"]).to_pylist()
    found = {(row["source"], row["frame"], row["code"]) for row in findings}
    missed = [(path, frame, kind) for path, faults in planted.items() for frame, kind in faults.items()
              if (path, frame, EXPECTED[kind]) not in found]
    planted_count = sum(len(faults) for faults in planted.values())
    print(f"planted faults found: {planted_count - len(missed)} of {planted_count}"
          + (f"; missed: {missed[:5]}" if missed else ""))
    print(f"findings per code: {dict(sorted(report.codes.items()))}, crashed partitions: {len(summary.crashed)}")
    return 0 if not missed and frames_in == linted + failed == frames else 1


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000,
                  int(sys.argv[2]) if len(sys.argv) > 2 else 2))
