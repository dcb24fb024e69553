"""What a source hands the linter: frames in order, as arrays, as a run of
frames of an XYZ file, or as frames that could not be read."""
from __future__ import annotations

import dataclasses
from typing import NamedTuple, Optional, Sequence


@dataclasses.dataclass
class ArrayBatch:
    """Consecutive frames as concatenated per-atom arrays (see lint_arrays)."""
    first_frame: int
    keys: Sequence[str]          # per frame, where the source keeps it ("group/3", "id=17")
    elements: object             # atomic numbers or symbols, per atom
    positions: object            # (atoms, 3), in the mapping's unit
    offsets: object              # frames + 1
    charges: object          # per frame: a sequence with None for absent, or a masked array
    multiplicities: object
    cells: object = None     # per frame (frames, 3, 3) in the mapping's unit, or None: molecules
    pbc: object = None       # per frame (frames, 3)

    @property
    def frames(self) -> int:
        return len(self.offsets) - 1


@dataclasses.dataclass
class XyzRange:
    """Consecutive frames of an XYZ file, from a frame's count line on, read and linted by the core."""
    first_frame: int
    path: str
    offset: int       # where the first frame's count line starts, in bytes
    first_line: int   # its line, counted from 1
    frames: int       # how many frames to lint (fewer if the file ends before)


class FailedFrame(NamedTuple):
    frame: int
    key: Optional[str]
    line: Optional[int]
    message: str
