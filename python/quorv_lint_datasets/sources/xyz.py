"""Multi-frame (extended) XYZ files, divided into frames and read by the core's
frame reader, as the command reads them: every frame read as quorv_lint.lint_xyz
reads a file, with its Properties columns, and periodic frames (Lattice= with a
periodic axis) linted over their images."""
from __future__ import annotations

from typing import Iterator, List

from .. import _native
from ..mapping import Mapping
from ..partitions import Partition, cut
from .batches import XyzRange


def plan(path: str, mapping: Mapping, partition_frames: int) -> List[Partition]:
    """One pass over the file (dividing it, not reading the atoms) finds where every partition starts."""
    frames, starts = _native.xyz_frame_starts(path, partition_frames)
    return cut("xyz", path, frames, partition_frames, lambda start, stop: starts[start // partition_frames])


def read(partition: Partition, mapping: Mapping) -> Iterator[object]:
    offset, line = partition.anchor
    yield XyzRange(partition.first_frame, partition.path, offset, line, partition.frames)
