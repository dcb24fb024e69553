"""What a worker does with one partition: read its frames, lint them, write its
findings and summary, and hand back the counts."""
from __future__ import annotations

import collections
import re
import dataclasses
from typing import Counter, Dict, List, Optional


from . import _native, contacts, output
from .arrays import lint_arrays, native_results
from .mapping import Mapping
from .partitions import Partition
from .sources import module_for
from .sources.batches import ArrayBatch, FailedFrame, XyzBatch

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


def _lint_array_batch(batch: ArrayBatch, mapping: Mapping):
    """The batch's results, how to name a frame, and how to find a finding's line (arrays have none)."""
    results = lint_arrays(batch.elements, batch.positions, batch.offsets, batch.charges, batch.multiplicities,
                          scale=mapping.scale)
    return results, batch.keys.__getitem__, lambda frame, atom: None


def _lint_xyz_batch(batch: XyzBatch, mapping: Mapping):
    """As above; a finding is on its atom's line, or else on the frame's count line."""
    results = native_results(_native.lint_xyz_frames(batch.texts, mapping.charge.value_from(None),
                                                     mapping.multiplicity.value_from(None), mapping.scale))

    def line_of(frame, atom):
        return batch.count_lines[frame] if atom is None else batch.atom_line(frame, atom)

    return results, _no_key, line_of


def _lint_batch(batch, mapping: Mapping, rows: _Rows) -> None:
    lint = _lint_array_batch if isinstance(batch, ArrayBatch) else _lint_xyz_batch
    results, key_of, line_of = lint(batch, mapping)
    first = batch.first_frame
    for finding in results.findings:
        rows.add(first + finding.frame, key_of(finding.frame), line_of(finding.frame, finding.atom), finding.code,
                 finding.severity, finding.message)
    for failure in results.failures:
        rows.fail(FailedFrame(first + failure.frame, key_of(failure.frame), line_of(failure.frame, None),
                              failure.message))
    rows.report.linted += results.frames - len(results.failures)
    contacts.add(rows.report.histograms, results.hydrogen_contacts, results.heavy_contacts)


def lint_partition(partition: Partition, number: int, mapping: Mapping, out_dir: Optional[str]) -> PartitionReport:
    """Lints the partition; with `out_dir`, writes its two Parquet files there."""
    report = PartitionReport(frames_in=partition.frames)
    rows = _Rows(partition.path, report)
    next_frame = partition.first_frame
    for batch in module_for(partition.kind).read(partition, mapping):
        if isinstance(batch, FailedFrame):
            rows.fail(batch)
            next_frame = batch.frame + 1
        else:
            _lint_batch(batch, mapping, rows)
            next_frame = batch.first_frame + batch.frames
    for frame in range(next_frame, partition.stop_frame):
        rows.fail(FailedFrame(frame, None, None, MISSING_FRAME_MESSAGE))
    if out_dir is not None:
        output.write_partition(out_dir, number, rows.in_frame_order(), {
            "source": partition.path, "partition": number, "first_frame": partition.first_frame,
            "stop_frame": partition.stop_frame, "frames_in": report.frames_in, "linted": report.linted,
            "failed": report.failed, "status": "done"})
    return report
