"""Partitions: the unit of work, about 1e5 consecutive frames of one shard."""
from __future__ import annotations

import dataclasses
from typing import Callable, List

DEFAULT_PARTITION_FRAMES = 100_000
# Tries of a partition beyond the first before it is reported as crashed.
DEFAULT_RETRIES = 2


@dataclasses.dataclass(frozen=True)
class Partition:
    kind: str         # "xyz", "hdf5" or "ase": which source reads it
    path: str         # the shard
    first_frame: int  # frames first_frame .. stop_frame-1 of the shard, 0-based
    stop_frame: int
    anchor: object = None  # where the source starts reading; its own business

    @property
    def frames(self) -> int:
        return self.stop_frame - self.first_frame


def cut(kind: str, path: str, frames: int, size: int, anchor_at: Callable[[int, int], object]) -> List[Partition]:
    """Frames 0..frames-1 in partitions of `size`, each with the anchor for its range."""
    return [Partition(kind, path, start, min(start + size, frames), anchor_at(start, min(start + size, frames)))
            for start in range(0, frames, size)]
