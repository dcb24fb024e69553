"""Histograms of each frame's shortest hydrogen and heavy-atom contacts, summed
over partitions for the picture."""
from __future__ import annotations

import numpy as np

# 0.02 Å bins up to 5 Å; longer contacts go to the last bin, frames with no
# such contact (one heavy atom, no hydrogen) are counted apart.
EDGES = np.linspace(0.0, 5.0, 251)
LAST_EDGE = float(EDGES[-1])


def empty() -> dict:
    return {"hydrogen": np.zeros(len(EDGES), np.int64), "heavy": np.zeros(len(EDGES), np.int64),
            "hydrogen_none": 0, "heavy_none": 0}


def add(histograms: dict, hydrogen: np.ndarray, heavy: np.ndarray) -> None:
    """Counts per-frame contacts; NaN (frames that failed) is skipped."""
    for name, values in (("hydrogen", hydrogen), ("heavy", heavy)):
        finite = values[np.isfinite(values)]
        histograms[f"{name}_none"] += int(np.count_nonzero(np.isposinf(values)))
        counts, _ = np.histogram(np.minimum(finite, LAST_EDGE), bins=np.append(EDGES[:-1], [LAST_EDGE, np.inf]))
        histograms[name] += counts


def merge(total: dict, part: dict) -> None:
    for key in total:
        total[key] = total[key] + part[key]
