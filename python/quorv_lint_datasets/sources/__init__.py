"""The sources a data set comes from, chosen by the shard's suffix (any letter case)."""
from __future__ import annotations

import importlib
from pathlib import Path

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
