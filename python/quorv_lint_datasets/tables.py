"""The tables a run ends with: frames, counts per code, per abstain reason and per failure."""
from __future__ import annotations

from typing import Counter, List, Tuple

from .partition_lint import PartitionReport

MOST_ROWS = 15


def _table(title: str, rows: List[Tuple[str, int]]) -> List[str]:
    if not rows:
        return []
    width = max(len(name) for name, _ in rows)
    lines = [title]
    lines += [f"  {name:<{width}}  {count:>12,}" for name, count in rows]
    return lines


def _top(counter: Counter) -> List[Tuple[str, int]]:
    rows = counter.most_common(MOST_ROWS)
    rest = sum(counter.values()) - sum(count for _, count in rows)
    if rest:
        rows.append((f"({len(counter) - len(rows)} more)", rest))
    return rows


def summary_lines(report: PartitionReport, partitions: int, crashed: int) -> List[str]:
    balance = "=" if report.frames_in == report.linted + report.failed else "!="
    lines = [f"frames in {report.frames_in:,} {balance} linted {report.linted:,} + failed {report.failed:,}"
             f"  ({partitions} partitions, {crashed} crashed)"]
    lines += _table("findings per code:", sorted(report.codes.items(), key=lambda item: (-item[1], item[0])))
    lines += _table("abstain reasons:", _top(report.abstain_reasons))
    lines += _table("failures:", _top(report.failure_reasons))
    return lines
