"""What a source hands the linter: frames in order, as arrays, as XYZ texts,
or as frames that could not be read."""
from __future__ import annotations

import dataclasses
from typing import List, NamedTuple, Optional, Sequence, Tuple


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

    @property
    def frames(self) -> int:
        return len(self.offsets) - 1


@dataclasses.dataclass
class XyzBatch:
    """Consecutive frames of an XYZ file, each its own text."""
    first_frame: int
    texts: List[bytes]
    count_lines: List[int]
    blank_atom_lines: List[Tuple[int, ...]]

    @property
    def frames(self) -> int:
        return len(self.texts)

    def atom_line(self, frame: int, atom: int) -> int:
        position = atom
        for blank in self.blank_atom_lines[frame]:
            if blank <= position:
                position += 1
        return self.count_lines[frame] + 2 + position


class FailedFrame(NamedTuple):
    frame: int
    key: Optional[str]
    line: Optional[int]
    message: str
