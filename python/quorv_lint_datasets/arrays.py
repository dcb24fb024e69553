"""Lint frames given as arrays, without rendering them as text.

Each frame gets the findings that ``quorv_lint.lint_xyz`` gives the same
frame written as XYZ text with ``charge=`` and ``multiplicity=`` on its
comment line; a frame with a periodic cell, those that the XYZ source gives
it written with ``Lattice=`` and ``pbc=``.
"""
from __future__ import annotations

import dataclasses
from typing import List, NamedTuple, Optional, Sequence, Tuple

import numpy as np

from . import _native


class FrameFinding(NamedTuple):
    frame: int  # 0-based, in the arrays' frame order
    code: str
    severity: str
    message: str
    atom: Optional[int]  # the first atom the finding names, 0-based within its frame


class FrameFailure(NamedTuple):
    frame: int
    message: str


@dataclasses.dataclass
class FrameResults:
    findings: List[FrameFinding]
    failures: List[FrameFailure]
    # Per frame, ångström; +inf where there is no such contact, NaN for a failed frame.
    hydrogen_contacts: np.ndarray
    heavy_contacts: np.ndarray

    @property
    def frames(self) -> int:
        return len(self.hydrogen_contacts)


def _native_bytes(values, dtype) -> bytes:
    return np.ascontiguousarray(values, dtype=dtype).tobytes()


def _optional_column(values, frames: int) -> Tuple[Optional[bytes], Optional[bytes]]:
    """Values and known-mask bytes of a per-frame integer that may be absent.

    None means absent for every frame; an int applies to every frame; a masked
    array marks absent frames by its mask; a sequence may hold None.
    """
    if values is None:
        return None, None
    if isinstance(values, (int, np.integer)):
        return _native_bytes(np.full(frames, int(values)), np.int64), None
    if isinstance(values, np.ma.MaskedArray):
        known = ~np.ma.getmaskarray(values)
        return _native_bytes(values.filled(0), np.int64), _native_bytes(known, np.uint8)
    if isinstance(values, np.ndarray):
        return _native_bytes(values, np.int64), None
    items = list(values)
    known = [item is not None for item in items]
    filled = [0 if item is None else int(item) for item in items]
    return _native_bytes(filled, np.int64), (None if all(known) else _native_bytes(known, np.uint8))


def _element_arguments(elements) -> Tuple[Optional[list], bytes]:
    """(symbol table or None for atomic numbers, per-atom int64 bytes)."""
    array = np.asarray(elements)
    if array.dtype.kind in "iu":
        return None, _native_bytes(array, np.int64)
    if array.dtype.kind in "SUO":
        table, indices = np.unique(array.astype(object if array.dtype.kind == "O" else array.dtype),
                                   return_inverse=True)
        return [item.decode("utf-8") if isinstance(item, bytes) else str(item) for item in table.tolist()], \
            _native_bytes(indices.reshape(-1), np.int64)
    raise TypeError(f"elements must be integers (atomic numbers) or symbols, not {array.dtype}")


def _cell_arguments(cells, pbc, frames: int) -> Tuple[Optional[bytes], Optional[bytes]]:
    """Per-frame cell vectors and periodic flags as bytes; one cell (3, 3) or one pbc (3,) serves every frame."""
    if cells is None:
        if pbc is not None:
            raise ValueError("pbc needs cells: periodic flags alone give no cell to repeat")
        return None, None
    cells_array, pbc_array = np.asarray(cells, dtype=np.float64), None if pbc is None else np.asarray(pbc, dtype=bool)
    try:
        cells_array = np.broadcast_to(cells_array, (frames, 3, 3))
        pbc_array = None if pbc_array is None else np.broadcast_to(pbc_array, (frames, 3))
    except ValueError:
        raise ValueError(f"cells must have shape (3, 3) or ({frames}, 3, 3) and pbc (3,) or ({frames}, 3), not "
                         f"{cells_array.shape} and {None if pbc_array is None else pbc_array.shape}") from None
    return _native_bytes(cells_array, np.float64), None if pbc_array is None else _native_bytes(pbc_array, np.uint8)


def raw_lint_arrays(elements, positions, offsets, charges=None, multiplicities=None, scale: float = 1.0,
                    cells=None, pbc=None, preview: bool = False):
    """lint_arrays' results as the native module gives them: rows of tuples and bytes."""
    offsets_array = np.asarray(offsets)
    frames = max(len(offsets_array) - 1, 0)
    symbols, element_bytes = _element_arguments(elements)
    charge_values, charge_known = _optional_column(charges, frames)
    multiplicity_values, multiplicity_known = _optional_column(multiplicities, frames)
    cell_values, periodic = _cell_arguments(cells, pbc, frames)
    return _native.lint_arrays(symbols, element_bytes, _native_bytes(positions, np.float64),
                               _native_bytes(offsets_array, np.int64), charge_values, charge_known,
                               multiplicity_values, multiplicity_known, cell_values, periodic, float(scale),
                               bool(preview))


def native_results(raw) -> FrameResults:
    findings, failures, hydrogen, heavy = raw
    # The rows also hold the line of a text source, which arrays never have.
    return FrameResults([FrameFinding(*row[:5]) for row in findings], [FrameFailure(*row[:2]) for row in failures],
                        np.frombuffer(hydrogen, dtype=np.float64), np.frombuffer(heavy, dtype=np.float64))


def lint_arrays(elements: Sequence, positions, offsets, charges=None, multiplicities=None,
                scale: float = 1.0, *, cells=None, pbc=None, preview: bool = False) -> FrameResults:
    """Lint the frames of concatenated per-atom arrays.

    elements: per atom, atomic numbers (0 is the placeholder X) or symbols.
    positions: per atom x, y, z (shape (atoms, 3)), times `scale` in ångström.
    offsets: frames + 1 increasing atom indices; frame f is atoms offsets[f]..offsets[f+1]-1.
    charges, multiplicities: per frame, or one int for all, or None; a masked
    array or None items mark frames that lack the value.
    cells: per frame the cell vectors a, b, c as rows (frames, 3, 3), or one
    (3, 3) for all, in the positions' unit; pbc: which of them repeat, per
    frame (frames, 3) or one (3,) for all, by default all three. A frame that
    repeats along some axis is linted over its periodic images; with no
    cells, or pbc all false, a frame is a molecule.
    preview: the preview rule set instead of the strict one. It judges
    molecules only, so a periodic frame with it fails, saying so.
    """
    return native_results(raw_lint_arrays(elements, positions, offsets, charges, multiplicities, scale, cells, pbc,
                                          preview))
