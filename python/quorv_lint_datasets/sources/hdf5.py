"""HDF5 files with one group per molecule (SPICE, ANI-1x and ANI-2x layouts).

A molecule group holds a positions dataset, (conformations, atoms, 3), and an
elements dataset: per atom (atoms,) or per conformation (conformations,
atoms), of atomic numbers or of symbols. Groups may nest; every group that
holds a positions dataset is a molecule (and is not searched further). The
dataset names are the mapping's, each a list tried in order.
"""
from __future__ import annotations

import bisect
from typing import Iterator, List, Optional, Tuple

import h5py
import numpy as np

from ..mapping import Field, Mapping
from ..partitions import Partition, cut
from .batches import ArrayBatch, FailedFrame

BATCH_FRAMES = 20_000


def _first_dataset(group: h5py.Group, names) -> Optional[h5py.Dataset]:
    """The first of `names` that is a dataset of the group. Each h5py call costs far more than
    linting a frame, so a name is asked for once, not listed and then opened."""
    for name in names:
        item = group.get(name)
        if isinstance(item, h5py.Dataset):
            return item
    return None


def _conformations(dataset: h5py.Dataset) -> int:
    return dataset.shape[0] if dataset.ndim == 3 else 1


def molecule_groups(handle: h5py.File, mapping: Mapping) -> List[Tuple[str, int]]:
    """(group name, conformations) of every molecule group, in the file's order. A molecule
    group's own members are not searched further, so its datasets are never opened here."""
    found = []

    def walk(group: h5py.Group):
        positions = _first_dataset(group, mapping.positions)
        if positions is not None:
            found.append((group.name, _conformations(positions)))
            return
        for name in group:
            item = group[name]
            if isinstance(item, h5py.Group):
                walk(item)

    walk(handle)
    return found


def plan(path: str, mapping: Mapping, partition_frames: int) -> List[Partition]:
    with h5py.File(path, "r") as handle:
        groups = molecule_groups(handle, mapping)
    starts = np.concatenate([[0], np.cumsum([count for _, count in groups], dtype=np.int64)]).tolist()

    def pieces(start: int, stop: int):
        """(group, first conformation, stop conformation, first frame) covering frames start..stop-1."""
        out = []
        index = bisect.bisect_right(starts, start) - 1
        while index < len(groups) and starts[index] < stop:
            first = max(start, starts[index])
            last = min(stop, starts[index + 1])
            if last > first:
                out.append((groups[index][0], first - starts[index], last - starts[index], first))
            index += 1
        return tuple(out)

    return cut("hdf5", path, starts[-1], partition_frames, pieces)


def _column(group: h5py.Group, field: Field, first: int, stop: int) -> np.ma.MaskedArray:
    """The field's value for conformations first..stop-1 of the group; masked where absent."""
    frames = stop - first
    raw = None
    if field.kind not in ("none", "constant"):
        dataset = group.get(field.key)
        raw = dataset[()] if isinstance(dataset, h5py.Dataset) else group.attrs.get(field.key)
    per_conformation = (field.kind != "smiles" and isinstance(raw, np.ndarray) and raw.ndim == 1
                        and len(raw) > 1)
    if per_conformation and raw.dtype.kind in "iu":
        values = raw[first:stop].astype(np.int64) + (1 if field.kind == "unpaired" else 0)
        return np.ma.masked_array(values, mask=np.zeros(frames, bool))
    if per_conformation:
        items = [field.value_from(value) for value in raw[first:stop]]
    else:
        items = [field.value_from(raw)] * frames
    return np.ma.masked_array([0 if item is None else item for item in items], dtype=np.int64,
                              mask=[item is None for item in items])


class _Keys:
    """Frame keys "group/conformation" for a batch, made only when asked."""

    def __init__(self):
        self.starts: List[int] = []
        self.pieces: List[Tuple[str, int]] = []

    def add(self, batch_frame: int, group: str, first_conformation: int):
        self.starts.append(batch_frame)
        self.pieces.append((group, first_conformation))

    def __getitem__(self, frame: int) -> str:
        index = bisect.bisect_right(self.starts, frame) - 1
        group, first = self.pieces[index]
        return f"{group}/{first + frame - self.starts[index]}"


class _Batcher:
    """Gathers group slices of one element kind into batches."""

    def __init__(self, first_frame: int):
        self.reset(first_frame)

    def reset(self, first_frame: int):
        self.first_frame, self.frames, self.kind = first_frame, 0, None
        self.elements, self.positions, self.counts, self.charges, self.multiplicities = [], [], [], [], []
        self.keys = _Keys()

    def add(self, group, first, elements, positions, charges, multiplicities):
        self.keys.add(self.frames, group, first)
        conformations, atoms = positions.shape[0], positions.shape[1]
        self.elements.append(elements.reshape(-1))
        self.positions.append(positions.reshape(-1, 3))
        self.counts.append(np.full(conformations, atoms, dtype=np.int64))
        self.charges.append(charges)
        self.multiplicities.append(multiplicities)
        self.frames += conformations

    def take(self) -> ArrayBatch:
        counts = np.concatenate(self.counts)
        batch = ArrayBatch(self.first_frame, self.keys, np.concatenate(self.elements),
                           np.concatenate(self.positions), np.concatenate([[0], np.cumsum(counts)]),
                           np.ma.concatenate(self.charges), np.ma.concatenate(self.multiplicities))
        self.reset(self.first_frame + self.frames)
        return batch


def _elements_for(dataset: h5py.Dataset, first: int, stop: int, atoms: int) -> np.ndarray:
    """Per-atom elements of conformations first..stop-1, shape (frames, atoms)."""
    if dataset.ndim == 1:
        values = dataset[()]
        if len(values) != atoms:
            raise ValueError(f"{dataset.name} holds {len(values)} elements for {atoms} atoms")
        return np.broadcast_to(values, (stop - first, atoms))
    if dataset.ndim == 2 and dataset.shape[1] == atoms:
        return dataset[first:stop]
    raise ValueError(f"{dataset.name} has shape {dataset.shape}, not (atoms,) or (conformations, {atoms})")


def _positions_for(dataset: h5py.Dataset, first: int, stop: int) -> np.ndarray:
    if dataset.ndim == 3 and dataset.shape[2] == 3:
        return np.asarray(dataset[first:stop], dtype=np.float64)
    if dataset.ndim == 2 and dataset.shape[1] == 3:
        return np.asarray(dataset[()], dtype=np.float64)[None]
    raise ValueError(f"{dataset.name} has shape {dataset.shape}, not (conformations, atoms, 3)")


def read(partition: Partition, mapping: Mapping) -> Iterator[object]:
    batcher = _Batcher(partition.first_frame)
    with h5py.File(partition.path, "r") as handle:
        for group_name, first, stop, first_frame in partition.anchor:
            try:
                group = handle[group_name]
                positions_set = _first_dataset(group, mapping.positions)
                elements_set = _first_dataset(group, mapping.elements)
                if elements_set is None:
                    raise ValueError(f"no elements dataset ({', '.join(mapping.elements)})")
                positions = _positions_for(positions_set, first, stop)
                elements = _elements_for(elements_set, first, stop, positions.shape[1])
                kind = "numbers" if elements.dtype.kind in "iu" else "symbols"
                charges = _column(group, mapping.charge, first, stop)
                multiplicities = _column(group, mapping.multiplicity, first, stop)
            except Exception as error:  # noqa: BLE001 - any unreadable group fails its frames, not the partition
                if batcher.frames:
                    yield batcher.take()
                for frame in range(first_frame, first_frame + stop - first):
                    yield FailedFrame(frame, f"{group_name}/{frame - first_frame + first}", None,
                                      f"cannot read the group: {error}")
                batcher.reset(first_frame + stop - first)
                continue
            if batcher.frames and (batcher.kind != kind or batcher.frames >= BATCH_FRAMES):
                yield batcher.take()
            batcher.kind = kind
            batcher.add(group_name, first, elements, positions, charges, multiplicities)
    if batcher.frames:
        yield batcher.take()
