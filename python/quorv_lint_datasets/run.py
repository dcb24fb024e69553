"""Lint a whole data set: plan partitions over the shards, lint them on a Dask
cluster (or in this process), collect the counts."""
from __future__ import annotations

import dataclasses
import os
import sys
from pathlib import Path
from typing import Dict, List, Optional, Sequence, Tuple

from . import output
from .mapping import Mapping, mapping_for
from .partition_lint import PartitionReport, failure_reason, lint_partition
from .partitions import DEFAULT_PARTITION_FRAMES, DEFAULT_RETRIES, Partition
from .sources import expand_shards, kind_of, module_for


@dataclasses.dataclass
class RunSummary:
    report: PartitionReport
    partitions: int
    crashed: List[Partition]
    out_dir: Optional[str]


def plan_shard(path: str, mappings: Dict[str, Mapping], partition_frames: int) -> List[Partition]:
    kind = kind_of(path)
    return module_for(kind).plan(path, mappings[kind], partition_frames)


def _record_crash(out_dir: Optional[str], number: int, partition: Partition, message: str) -> PartitionReport:
    """The client's record of a partition no worker finished: every frame of it failed."""
    report = PartitionReport(frames_in=partition.frames, failed=partition.frames)
    report.failure_reasons[failure_reason(message)] += partition.frames
    if out_dir is not None:
        rows = {"source": [partition.path], "frame": [partition.first_frame], "key": [None], "line": [None],
                "code": [output.CRASHED_CODE], "severity": [output.FAILURE_SEVERITY], "message": [message]}
        output.write_partition(out_dir, number, rows, {
            "source": partition.path, "partition": number, "first_frame": partition.first_frame,
            "stop_frame": partition.stop_frame, "frames_in": partition.frames, "linted": 0,
            "failed": partition.frames, "status": "crashed"})
    return report


def _crash_message(partition: Partition, tries: int, error: BaseException) -> str:
    return (f"partition crashed after {tries} tries: frames {partition.first_frame} to {partition.stop_frame - 1} "
            f"not linted ({type(error).__name__}: {error})")


def _unreadable_shard_message(path: str, tries: int, error: BaseException) -> str:
    return f"cannot read {path} after {tries} tries ({type(error).__name__}: {error})"


def _plan(shards: Sequence[str], mappings: Dict[str, Mapping], partition_frames: int, client,
          retries: int) -> Tuple[List[Partition], List[Tuple[str, BaseException]]]:
    """The partitions of every shard, and the shards that could not be read with why."""
    outcomes = []
    if client is None:
        for path in shards:
            outcome: object = None
            for _ in range(retries + 1):
                try:
                    outcome = plan_shard(path, mappings, partition_frames)
                    break
                except Exception as error:  # noqa: BLE001 - an unreadable shard is reported, the others go on
                    outcome = error
            outcomes.append(outcome)
    else:
        futures = client.map(plan_shard, shards, mappings=mappings, partition_frames=partition_frames,
                             retries=retries, pure=False)
        for future in futures:
            try:
                outcomes.append(future.result())
            except Exception as error:  # noqa: BLE001
                outcomes.append(error)
    partitions = [p for outcome in outcomes if not isinstance(outcome, BaseException) for p in outcome]
    unreadable = [(path, outcome) for path, outcome in zip(shards, outcomes) if isinstance(outcome, BaseException)]
    return partitions, unreadable


def _progress(total: int, enabled: bool):
    if not enabled:
        return None
    from tqdm import tqdm
    return tqdm(total=total, unit="frame", unit_scale=True, file=sys.stderr, desc="linting")


def lint_dataset(inputs: Sequence[str], out_dir: Optional[str], *, preset: Optional[str] = None,
                 overrides: Optional[Dict[str, object]] = None, mappings: Optional[Dict[str, Mapping]] = None,
                 client=None,
                 partition_frames: int = DEFAULT_PARTITION_FRAMES,
                 retries: int = DEFAULT_RETRIES, progress: bool = False, preview: bool = False) -> RunSummary:
    """Lints every frame of the shards that `inputs` name (paths or globs).

    Each kind of shard ("xyz", "hdf5", "ase") is read with its entry in
    `mappings`, or else with the `preset` (by default the kind's own)
    changed by `overrides` (Mapping fields).
    With a dask.distributed `client` the partitions run on its workers, each
    retried `retries` times before it is reported as crashed; without one
    they run here, one after the other. With `out_dir`, every partition's
    findings and summary are written there as Parquet. With `preview`,
    every frame is judged by the preview rule set instead of the strict one
    (the preview rules judge molecules only: periodic frames then fail).
    """
    shards = expand_shards(inputs)
    # An unknown suffix or preset is the caller's mistake, reported before any work.
    mappings = {kind: (mappings or {}).get(kind) or mapping_for(preset, kind, **(overrides or {}))
                for kind in {kind_of(shard) for shard in shards}}
    if out_dir is not None:
        Path(out_dir).mkdir(parents=True, exist_ok=True)
    partitions, unreadable = _plan(shards, mappings, partition_frames, client, retries)
    total = PartitionReport()
    crashed = []
    bar = _progress(sum(p.frames for p in partitions) + len(unreadable), progress)

    def finish(number: int, report: PartitionReport):
        total.merge(report)
        if bar is not None:
            bar.update(report.frames_in)

    def crash(number: int, partition: Partition, message: str):
        crashed.append(partition)
        finish(number, _record_crash(out_dir, number, partition, message))

    # A shard that cannot even be opened counts as one failed frame, after the partitions' numbers.
    for offset, (path, error) in enumerate(unreadable):
        crash(len(partitions) + offset, Partition(kind_of(path), path, 0, 1),
              _unreadable_shard_message(path, retries + 1, error))

    try:
        if client is None:
            for number, partition in enumerate(partitions):
                report, error = None, None
                for _ in range(retries + 1):
                    try:
                        report = lint_partition(partition, number, mappings[partition.kind], out_dir, preview)
                        break
                    except Exception as caught:  # noqa: BLE001 - retried, then reported with its frames
                        error = caught
                if report is None:
                    crash(number, partition, _crash_message(partition, retries + 1, error))
                else:
                    finish(number, report)
        else:
            from distributed import as_completed
            run_id = f"{os.getpid()}-{id(partitions)}"
            futures = {client.submit(lint_partition, partition, number, mappings[partition.kind], out_dir, preview,
                                     retries=retries, pure=False, key=f"quorv-partition-{run_id}-{number}"): number
                       for number, partition in enumerate(partitions)}
            for future in as_completed(futures):
                number = futures[future]
                try:
                    finish(number, future.result())
                except Exception as error:  # noqa: BLE001
                    crash(number, partitions[number], _crash_message(partitions[number], retries + 1, error))
                future.release()
    finally:
        if bar is not None:
            bar.close()
    return RunSummary(total, len(partitions) + len(unreadable), crashed, out_dir)
