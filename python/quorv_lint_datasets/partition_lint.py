"""What a worker does with one partition: read its frames, lint them, write its
findings and summary, and hand back the counts."""
from __future__ import annotations

import collections
import dataclasses
import re
from typing import Counter, Dict, List, Optional

import numpy as np

from . import _native, contacts, output
from .arrays import raw_lint_arrays
from .mapping import Mapping
from .partitions import Partition
from .sources import module_for
from .sources.batches import ArrayBatch, FailedFrame, XyzRange

ABSTAIN_CODE = "electron-parity-abstain"
MISSING_FRAME_MESSAGE = "frame missing: the source holds fewer frames than when the run was planned"


@dataclasses.dataclass
class PartitionReport:
    """What a partition found, small enough to send back to the client."""
    frames_in: int = 0
    linted: int = 0
    failed: int = 0
    errors: int = 0
    codes: Counter = dataclasses.field(default_factory=collections.Counter)
    severities: Dict[str, str] = dataclasses.field(default_factory=dict)  # of each code seen
    abstain_reasons: Counter = dataclasses.field(default_factory=collections.Counter)
    failure_reasons: Counter = dataclasses.field(default_factory=collections.Counter)
    histograms: dict = dataclasses.field(default_factory=contacts.empty)

    def merge(self, other: "PartitionReport") -> None:
        for name in ("frames_in", "linted", "failed", "errors"):
            setattr(self, name, getattr(self, name) + getattr(other, name))
        self.codes.update(other.codes)
        self.severities.update(other.severities)
        self.abstain_reasons.update(other.abstain_reasons)
        self.failure_reasons.update(other.failure_reasons)
        contacts.merge(self.histograms, other.histograms)


def failure_reason(message: str) -> str:
    """A failure's kind, for counting: its message with every number as N."""
    return re.sub(r"\d+", "N", message)


class _Rows:
    def __init__(self, source: str, report: PartitionReport):
        self.source, self.report = source, report
        self.columns: Dict[str, List] = {name: [] for name in output.FINDINGS_SCHEMA.names}

    def add(self, frame: int, key: Optional[str], line: Optional[int], code: str, severity: str, message: str):
        for name, value in zip(output.FINDINGS_SCHEMA.names, (self.source, frame, key, line, code, severity, message)):
            self.columns[name].append(value)
        if severity == output.FAILURE_SEVERITY:
            self.report.failed += 1
            self.report.failure_reasons[failure_reason(message)] += 1
            return
        self.report.codes[code] += 1
        self.report.severities[code] = severity
        self.report.errors += severity == "error"
        if code == ABSTAIN_CODE:
            self.report.abstain_reasons[message] += 1

    def in_frame_order(self) -> Dict[str, List]:
        """The rows sorted by frame; a frame's rows keep their order."""
        order = sorted(range(len(self.columns["frame"])), key=self.columns["frame"].__getitem__)
        return {name: [values[i] for i in order] for name, values in self.columns.items()}

    def fail(self, failure: FailedFrame):
        self.add(failure.frame, failure.key, failure.line, output.UNREADABLE_CODE, output.FAILURE_SEVERITY,
                 failure.message)


def _no_key(frame):
    return None


def _lint_array_batch(batch: ArrayBatch, mapping: Mapping, preview: bool):
    """The batch's native results, and how to name a frame of it."""
    raw = raw_lint_arrays(batch.elements, batch.positions, batch.offsets, batch.charges, batch.multiplicities,
                          mapping.scale, batch.cells, batch.pbc, preview)
    return raw, batch.keys.__getitem__


def _lint_xyz_range(batch: XyzRange, mapping: Mapping, preview: bool):
    """As above; an XYZ frame has no key, its findings and failures have their lines."""
    raw = _native.lint_xyz_range(batch.path, batch.offset, batch.first_line, batch.frames,
                                 mapping.charge.value_from(None), mapping.multiplicity.value_from(None),
                                 mapping.scale, preview)
    return raw, _no_key


def _lint_batch(batch, mapping: Mapping, preview: bool, rows: _Rows) -> int:
    """Lints the batch into the rows; how many frames it held."""
    lint = _lint_array_batch if isinstance(batch, ArrayBatch) else _lint_xyz_range
    (findings, failures, hydrogen, heavy), key_of = lint(batch, mapping, preview)
    first = batch.first_frame
    for frame, code, severity, message, _atom, line in findings:
        rows.add(first + frame, key_of(frame), line, code, severity, message)
    for frame, message, line in failures:
        rows.fail(FailedFrame(first + frame, key_of(frame), line, message))
    hydrogen_contacts, heavy_contacts = np.frombuffer(hydrogen, np.float64), np.frombuffer(heavy, np.float64)
    rows.report.linted += len(hydrogen_contacts) - len(failures)
    contacts.add(rows.report.histograms, hydrogen_contacts, heavy_contacts)
    return len(hydrogen_contacts)


def lint_partition(partition: Partition, number: int, mapping: Mapping, out_dir: Optional[str],
                   preview: bool = False) -> PartitionReport:
    """Lints the partition, with the preview rules if asked; with `out_dir`, writes its two Parquet files there."""
    report = PartitionReport(frames_in=partition.frames)
    rows = _Rows(partition.path, report)
    next_frame = partition.first_frame
    for batch in module_for(partition.kind).read(partition, mapping):
        if isinstance(batch, FailedFrame):
            rows.fail(batch)
            next_frame = batch.frame + 1
        else:
            next_frame = batch.first_frame + _lint_batch(batch, mapping, preview, rows)
    for frame in range(next_frame, partition.stop_frame):
        rows.fail(FailedFrame(frame, None, None, MISSING_FRAME_MESSAGE))
    if out_dir is not None:
        output.write_partition(out_dir, number, rows.in_frame_order(), {
            "source": partition.path, "partition": number, "first_frame": partition.first_frame,
            "stop_frame": partition.stop_frame, "frames_in": report.frames_in, "linted": report.linted,
            "failed": report.failed, "status": "done"})
    return report
