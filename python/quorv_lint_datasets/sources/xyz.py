"""Multi-frame (extended) XYZ files: each frame read as quorv_lint.lint_xyz reads a file."""
from __future__ import annotations

import re
from typing import Iterator, List

from ..mapping import Mapping
from ..partitions import Partition, cut
from .batches import FailedFrame, XyzBatch
from .xyz_frames import Frame, Undividable, frames_from

BATCH_FRAMES = 4096

_LATTICE = re.compile(rb"(?i)(?:^|\s)lattice\s*=")
_PBC = re.compile(rb"""(?i)(?:^|\s)pbc\s*=\s*(?:"([^"]*)"|'([^']*)'|(\S+))""")
_TRUE = re.compile(rb"(?i)(?:^|[\s,\[])(t|true|1)(?=$|[\s,\]])")

PERIODIC_MESSAGE = ("periodic frame not linted: the comment line gives a lattice with a periodic axis, and the "
                    "rules would judge the cell as a molecule")


def is_periodic(comment: bytes) -> bool:
    """Extended XYZ: a Lattice= with pbc= naming a periodic axis, or with no pbc= at all."""
    if not _LATTICE.search(comment):
        return False
    pbc = _PBC.search(comment)
    if pbc is None:
        return True
    value = next(group for group in pbc.groups() if group is not None)
    return _TRUE.search(value) is not None


def plan(path: str, mapping: Mapping, partition_frames: int) -> List[Partition]:
    """One pass over the file to find where every partition's first frame starts."""
    anchors = {0: (0, 1)}
    frames = 0
    with open(path, "rb") as stream:
        for item in frames_from(stream):
            frames = item.index + 1
            if isinstance(item, Frame) and frames % partition_frames == 0:
                anchors[frames] = (item.end_offset, item.count_line + item.text.count(b"\n"))
    return cut("xyz", path, frames, partition_frames, lambda start, stop: anchors[start])


def read(partition: Partition, mapping: Mapping) -> Iterator[object]:
    offset, line = partition.anchor
    batch = XyzBatch(partition.first_frame, [], [], [])
    with open(partition.path, "rb") as stream:
        stream.seek(offset)
        for item in frames_from(stream, partition.first_frame, line, offset, partition.stop_frame):
            if isinstance(item, Undividable):
                failure = FailedFrame(item.index, None, item.line, item.message)
            elif is_periodic(item.comment):
                failure = FailedFrame(item.index, None, item.count_line, PERIODIC_MESSAGE)
            else:
                batch.texts.append(item.text)
                batch.count_lines.append(item.count_line)
                batch.blank_atom_lines.append(item.blank_atom_lines)
                if batch.frames == BATCH_FRAMES:
                    yield batch
                    batch = XyzBatch(item.index + 1, [], [], [])
                continue
            # A failed frame ends the run of frames before it.
            if batch.frames:
                yield batch
            yield failure
            batch = XyzBatch(item.index + 1, [], [], [])
    if batch.frames:
        yield batch
