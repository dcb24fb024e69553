"""quorv-lint-dataset: lint every frame of a data set on a Dask cluster.

Exit status: 0 no error found, 1 errors found, 2 some frame or shard could not be read.
"""
from __future__ import annotations

import argparse
import importlib.util
import logging
import os
import sys
from pathlib import Path
from typing import List, Optional

from .mapping import ANGSTROM_PER_UNIT, PRESETS, Field, mapping_for
from .partitions import DEFAULT_PARTITION_FRAMES, DEFAULT_RETRIES
from .sources import expand_shards, kind_of

EXTRA_HINT = "quorv-lint-dataset needs the datasets extra: pip install 'quorv-lint[datasets]'"


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="quorv-lint-dataset",
        description="Lint every frame of multi-frame XYZ files, HDF5 files (SPICE, ANI layouts) and ASE "
                    "databases (.db, .aselmdb) with quorv_lint's rules, in parallel, into Parquet files.")
    parser.add_argument("inputs", nargs="+", metavar="INPUT", help="shards: paths or globs (quote them)")
    parser.add_argument("-o", "--output", required=True, metavar="DIR",
                        help="where findings/ and summary/ Parquet files go")
    mapping = parser.add_argument_group("what the data set holds")
    mapping.add_argument("--preset", choices=sorted(PRESETS), help="a known layout (default: by the suffix)")
    mapping.add_argument("--charge", metavar="FIELD",
                         help="none, an integer, a key NAME, or smiles:NAME (sum of the formal charges)")
    mapping.add_argument("--multiplicity", metavar="FIELD",
                         help="none, an integer, a key NAME (holding 2S+1), or unpaired:NAME (holding 2S)")
    mapping.add_argument("--units", choices=sorted(ANGSTROM_PER_UNIT), help="the coordinates' unit")
    mapping.add_argument("--elements", metavar="NAMES", help="HDF5 element dataset names, comma-separated")
    mapping.add_argument("--positions", metavar="NAMES", help="HDF5 positions dataset names, comma-separated")
    parser.add_argument("--preview", action="store_true",
                        help="judge by the preview rule set (every element, pair-aware bonds, missing hydrogens) "
                             "instead of the strict one; periodic frames then fail, as it judges molecules only")
    engine = parser.add_argument_group("where it runs")
    engine.add_argument("--scheduler", metavar="ADDRESS", help="an existing Dask scheduler (tcp://host:8786)")
    engine.add_argument("--workers", type=int, default=os.cpu_count() or 1,
                        help="worker processes of the local cluster (default: one per core)")
    engine.add_argument("--serial", action="store_true", help="no Dask: lint in this process, one partition "
                        "after the other")
    engine.add_argument("--partition-frames", type=int, default=DEFAULT_PARTITION_FRAMES, metavar="N",
                        help="frames per partition (default: %(default)s)")
    engine.add_argument("--retries", type=int, default=DEFAULT_RETRIES,
                        help="tries of a crashed partition beyond the first (default: %(default)s)")
    parser.add_argument("--plot", metavar="FILE.png", help="draw findings per code and the contact distances")
    parser.add_argument("--no-progress", action="store_true", help="no progress bar")
    return parser


def _overrides(args) -> dict:
    def names(text):
        return tuple(name.strip() for name in text.split(",") if name.strip()) if text else None

    return {"charge": Field.parse(args.charge) if args.charge else None,
            "multiplicity": Field.parse(args.multiplicity) if args.multiplicity else None,
            "units": args.units, "elements": names(args.elements), "positions": names(args.positions)}


def _client(args):
    if args.serial:
        return None, None
    from distributed import Client, LocalCluster
    if args.scheduler:
        return Client(args.scheduler), None
    # One thread per worker: the core keeps the interpreter lock through a call.
    # Workers' own logs stay quiet (their heartbeats complain while the cluster
    # shuts down); a partition's failure reaches the client with its future.
    cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True, dashboard_address=None,
                           silence_logs=logging.CRITICAL)
    return Client(cluster), cluster


# What reading each kind of shard needs beyond the engine.
READERS = {"xyz": [], "hdf5": ["h5py"], "ase": ["ase"]}


def _missing_modules(args, shards: List[str]) -> List[str]:
    """What this run needs of the extra and cannot import."""
    needed = ["numpy", "pyarrow"] + ([] if args.serial else ["distributed"]) + \
        ([] if args.no_progress else ["tqdm"]) + (["matplotlib"] if args.plot else [])
    for shard in shards:
        needed += READERS[kind_of(shard)]
        if Path(shard).suffix.lower() == ".aselmdb":
            needed.append("ase_db_backends")
    return sorted({name for name in needed if importlib.util.find_spec(name) is None})


def main(argv: Optional[List[str]] = None) -> int:
    args = _parser().parse_args(argv)
    if args.partition_frames < 1 or args.retries < 0 or args.workers < 1:
        print("quorv-lint-dataset: --partition-frames and --workers must be at least 1, --retries at least 0",
              file=sys.stderr)
        return 2
    try:
        shards = expand_shards(args.inputs)
        overrides = _overrides(args)
        for shard in shards:
            mapping_for(args.preset, kind_of(shard), **overrides)
    except (OSError, ValueError) as error:
        print(f"quorv-lint-dataset: {error}", file=sys.stderr)
        return 2
    missing = _missing_modules(args, shards)
    if missing:
        print(f"{EXTRA_HINT} (missing: {', '.join(missing)})", file=sys.stderr)
        return 2
    from . import run, tables
    client, cluster = _client(args)
    try:
        summary = run.lint_dataset(shards, args.output, preset=args.preset, overrides=overrides, client=client,
                                   partition_frames=args.partition_frames, retries=args.retries,
                                   progress=not args.no_progress, preview=args.preview)
    finally:
        if client is not None:
            client.close()
        if cluster is not None:
            cluster.close()
    report = summary.report
    print("\n".join(tables.summary_lines(report, summary.partitions, len(summary.crashed))))
    print(f"Parquet: {os.path.join(args.output, 'findings')} and {os.path.join(args.output, 'summary')}")
    if args.plot:
        from . import plot
        plot.draw(report, args.plot)
        print(f"picture: {args.plot}")
    if report.failed:
        return 2
    return 1 if report.errors else 0


if __name__ == "__main__":
    sys.exit(main())
