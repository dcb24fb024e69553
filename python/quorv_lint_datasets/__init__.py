"""quorv_lint_datasets: lint data sets of millions of structures with quorv_lint's rules.

Frames come from multi-frame (extended) XYZ files, HDF5 files in the SPICE and
ANI layouts and ASE databases (.db, .aselmdb); a Dask cluster lints them in
partitions and writes the findings as Parquet (`lint_dataset`). `lint_arrays`
lints frames given as arrays in this process.

What needs the `datasets` extra (numpy, h5py, ase, dask, pyarrow, ...) is
imported when first used, so that the package imports without it.
"""
import importlib

__all__ = ["FrameFailure", "FrameFinding", "FrameResults", "lint_arrays", "lint_dataset", "Mapping", "Field",
           "PRESETS"]

_WHERE = {
    "FrameFailure": "arrays", "FrameFinding": "arrays", "FrameResults": "arrays", "lint_arrays": "arrays",
    "lint_dataset": "run", "Mapping": "mapping", "Field": "mapping", "PRESETS": "mapping",
}


def __getattr__(name):
    if name not in _WHERE:
        raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
    return getattr(importlib.import_module(f".{_WHERE[name]}", __name__), name)
