"""The Parquet files a run writes: per partition, its findings and failures, and
its summary row. A whole run is then one query:

    frames = pyarrow.dataset.dataset(OUT / "summary").to_table()
    # sum(frames_in) == sum(linted) + sum(failed)
"""
from __future__ import annotations

import os
from pathlib import Path
from typing import Dict, List

import pyarrow as pa
import pyarrow.parquet as pq

FINDINGS_DIR = "findings"
SUMMARY_DIR = "summary"

# One row per finding, and per frame that could not be read (severity "failure").
FINDINGS_SCHEMA = pa.schema([
    ("source", pa.string()),    # the shard's path
    ("frame", pa.int64()),      # 0-based frame of the shard, in the source's order
    ("key", pa.string()),       # where the source keeps the frame ("group/3", "id=17"); null for XYZ
    ("line", pa.int64()),       # 1-based line of an XYZ file; null elsewhere
    ("code", pa.string()),      # a finding code, or "frame-unreadable" / "partition-crashed"
    ("severity", pa.string()),  # "error", "warning" or "failure"
    ("message", pa.string()),
])

SUMMARY_SCHEMA = pa.schema([
    ("source", pa.string()),
    ("partition", pa.int64()),
    ("first_frame", pa.int64()),
    ("stop_frame", pa.int64()),
    ("frames_in", pa.int64()),
    ("linted", pa.int64()),
    ("failed", pa.int64()),
    ("status", pa.string()),    # "done", or "crashed" when every try of the partition failed
])

UNREADABLE_CODE = "frame-unreadable"
CRASHED_CODE = "partition-crashed"
FAILURE_SEVERITY = "failure"


def _write_atomically(table: pa.Table, path: Path) -> None:
    """A retried partition never leaves half a file behind."""
    path.parent.mkdir(parents=True, exist_ok=True)
    partial = path.with_name(f".{path.name}.{os.getpid()}.partial")
    pq.write_table(table, partial)
    os.replace(partial, path)


def file_name(partition: int) -> str:
    return f"part-{partition:06d}.parquet"


def write_partition(out_dir: str, partition: int, rows: Dict[str, List], summary: Dict[str, object]) -> None:
    out = Path(out_dir)
    _write_atomically(pa.table(rows, schema=FINDINGS_SCHEMA), out / FINDINGS_DIR / file_name(partition))
    _write_atomically(pa.Table.from_pylist([summary], schema=SUMMARY_SCHEMA), out / SUMMARY_DIR / file_name(partition))


def read_findings(out_dir: str) -> pa.Table:
    return pq.read_table(Path(out_dir) / FINDINGS_DIR, schema=FINDINGS_SCHEMA)


def read_summary(out_dir: str) -> pa.Table:
    return pq.read_table(Path(out_dir) / SUMMARY_DIR, schema=SUMMARY_SCHEMA)
