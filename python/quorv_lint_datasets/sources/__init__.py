"""The sources a data set comes from, chosen by the shard's suffix (any letter case)."""
from __future__ import annotations

import glob
import importlib
from pathlib import Path
from typing import Iterable, List

SUFFIXES = {
    ".xyz": "xyz", ".extxyz": "xyz",
    ".h5": "hdf5", ".hdf5": "hdf5", ".hdf": "hdf5",
    ".db": "ase", ".aselmdb": "ase",
}

_MODULES = {"xyz": "xyz", "hdf5": "hdf5", "ase": "ase_db"}


def kind_of(path: str) -> str:
    suffix = Path(path).suffix.lower()
    if suffix not in SUFFIXES:
        raise ValueError(f"{path}: unknown kind of data set (suffixes: {', '.join(sorted(SUFFIXES))})")
    return SUFFIXES[suffix]


def module_for(kind: str):
    """The source module, imported only when its kind is met (h5py and ase are heavy)."""
    return importlib.import_module(f".{_MODULES[kind]}", __name__)


def expand_shards(inputs: Iterable[str]) -> List[str]:
    """Shards named directly or by glob, each once, in sorted order per input."""
    shards, seen = [], set()
    for pattern in inputs:
        matches = sorted(glob.glob(pattern, recursive=True)) if glob.has_magic(pattern) else [pattern]
        if not matches:
            raise FileNotFoundError(f"no file matches {pattern}")
        for match in matches:
            if match not in seen:
                seen.add(match)
                shards.append(match)
    return shards
