"""ASE databases: SQLite (.db) and ASE-LMDB (.aselmdb, through the ase-db-backends package).

A row's charge and multiplicity are looked up under the mapping's keys among
the row's key-value pairs, then in its data. A row that is periodic along some
axis is linted over its images in its cell. Rows are read one after the
other; a row that cannot be read is a failure and the next row is read.
"""
from __future__ import annotations

from typing import Iterator, List

import ase.db
import numpy as np

from ..mapping import Field, Mapping
from ..partitions import Partition, cut
from .batches import ArrayBatch, FailedFrame

BATCH_FRAMES = 4096


def _connect(path: str):
    # Readers only: no lock file, which a read-only place could not hold.
    return ase.db.connect(path, use_lock_file=False)


def plan(path: str, mapping: Mapping, partition_frames: int) -> List[Partition]:
    return cut("ase", path, _connect(path).count(), partition_frames, lambda start, stop: None)


def _lookup(row, field: Field):
    if field.kind in ("none", "constant"):
        return field.value_from(None)
    # The key-value pair as stored: `row.get` answers some names from ASE's own
    # properties instead (`charge` is the sum of the initial charges, 0.0 without them).
    value = vars(row).get(field.key)
    if value is None:
        data = row.get("data") or {}
        value = data.get(field.key) if hasattr(data, "get") else None
    return field.value_from(value)


class _Batch:
    def __init__(self, first_frame: int):
        self.first_frame = first_frame
        self.keys, self.elements, self.positions, self.counts = [], [], [], []
        self.charges, self.multiplicities, self.cells, self.pbc = [], [], [], []

    def add(self, key, numbers, positions, charge, multiplicity, cell, pbc):
        self.keys.append(key)
        self.elements.append(numbers)
        self.positions.append(positions)
        self.counts.append(len(numbers))
        self.charges.append(charge)
        self.multiplicities.append(multiplicity)
        self.cells.append(cell)
        self.pbc.append(pbc)

    def take(self) -> ArrayBatch:
        offsets = np.concatenate([[0], np.cumsum(self.counts, dtype=np.int64)])
        elements = np.concatenate(self.elements) if self.elements else np.zeros(0, np.int64)
        positions = np.concatenate(self.positions) if self.positions else np.zeros((0, 3))
        return ArrayBatch(self.first_frame, self.keys, elements, positions, offsets, self.charges,
                          self.multiplicities, np.reshape(self.cells, (-1, 3, 3)), np.reshape(self.pbc, (-1, 3)))


def _rows(db, first: int, stop: int) -> Iterator[tuple]:
    """(frame, row or the exception that reading it raised), for frames first..stop-1."""
    frame = first
    while frame < stop:
        try:
            for row in db.select(offset=frame, limit=stop - frame):
                yield frame, row
                frame += 1
            return
        except Exception as error:  # noqa: BLE001 - a broken row fails alone; reading resumes after it
            yield frame, error
            frame += 1


def read(partition: Partition, mapping: Mapping) -> Iterator[object]:
    db = _connect(partition.path)
    batch = _Batch(partition.first_frame)
    for frame, row in _rows(db, partition.first_frame, partition.stop_frame):
        failure = None
        if isinstance(row, Exception):
            failure = FailedFrame(frame, None, None, f"cannot read the row: {row}")
        else:
            key = f"id={row.id}"
            try:
                numbers = np.asarray(row.numbers, dtype=np.int64)
                positions = np.asarray(row.positions, dtype=np.float64).reshape(len(numbers), 3)
                cell = np.asarray(row.cell, dtype=np.float64).reshape(3, 3)
                pbc = np.asarray(row.pbc, dtype=bool).reshape(3)
                charge, multiplicity = _lookup(row, mapping.charge), _lookup(row, mapping.multiplicity)
            except Exception as error:  # noqa: BLE001
                failure = FailedFrame(frame, key, None, f"cannot read the row: {error}")
            else:
                batch.add(key, numbers, positions, charge, multiplicity, cell, pbc)
                if len(batch.keys) == BATCH_FRAMES:
                    yield batch.take()
                    batch = _Batch(frame + 1)
                continue
        if batch.keys:
            yield batch.take()
        yield failure
        batch = _Batch(frame + 1)
    if batch.keys:
        yield batch.take()
