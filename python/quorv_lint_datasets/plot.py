"""The picture a person looks at first: findings per code, and how each frame's
shortest hydrogen and heavy-atom contacts are spread, with the distances the
rules judge by marked, so that a bohr sub-population or a family of broken
molecules stands out."""
from __future__ import annotations

import matplotlib

matplotlib.use("Agg")  # files only, no display needed
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

from . import contacts  # noqa: E402
from .partition_lint import PartitionReport  # noqa: E402

OVERLAP = 0.5          # atoms closer than this cannot both be real
UNIT_SCALE = 1.5       # a closest hydrogen contact beyond this looks like bohr
CUTOFFS = {"C, N, O cut-off 1.75 Å": 1.75, "P, S cut-off 1.95 Å": 1.95}


def _contact_panel(axes, counts, none, title, lines):
    widths = np.diff(contacts.EDGES)
    axes.bar(contacts.EDGES[:-1], counts[:-1], width=widths, align="edge", color="#4c72b0")
    axes.bar(contacts.LAST_EDGE, counts[-1], width=widths[0] * 4, align="edge", color="#dd8452",
             label=f"≥ {contacts.LAST_EDGE:g} Å: {counts[-1]:,}")
    axes.set_yscale("symlog", linthresh=1)
    for label, (x, style) in lines.items():
        axes.axvline(x, color="black", linestyle=style, linewidth=1, label=label)
    axes.set_xlabel("shortest contact per frame (Å)")
    axes.set_ylabel("frames")
    axes.set_title(f"{title} ({none:,} frames have none)")
    axes.legend(fontsize=7, loc="upper right")


def draw(report: PartitionReport, path: str) -> None:
    figure, (codes_axes, hydrogen_axes, heavy_axes) = plt.subplots(3, 1, figsize=(9, 11))
    codes = sorted(report.codes.items(), key=lambda item: item[1])
    failures = report.failed
    names = [name for name, _ in codes] + (["(frames failed)"] if failures else [])
    values = [count for _, count in codes] + ([failures] if failures else [])
    colours = {"error": "#c44e52", "warning": "#dd8452"}
    bar_colours = [colours.get(report.severities.get(name), "#8c8c8c") for name in names]
    codes_axes.barh(names, values, color=bar_colours)
    codes_axes.set_xscale("symlog", linthresh=1)
    codes_axes.set_title(f"findings per code over {report.frames_in:,} frames ({report.linted:,} linted, "
                         f"{report.failed:,} failed)\nred: errors, orange: warnings, grey: frames that failed")
    for y, value in enumerate(values):
        codes_axes.text(value, y, f" {value:,}", va="center", fontsize=8)
    h = report.histograms
    _contact_panel(hydrogen_axes, h["hydrogen"], h["hydrogen_none"], "closest contact of any hydrogen",
                   {"overlap 0.5 Å": (OVERLAP, ":"), "unit-scale 1.5 Å": (UNIT_SCALE, "--")})
    heavy_lines = {"overlap 0.5 Å": (OVERLAP, ":")}
    heavy_lines.update({label: (x, "--" if x < 1.9 else "-.") for label, x in CUTOFFS.items()})
    _contact_panel(heavy_axes, h["heavy"], h["heavy_none"], "closest contact between heavy atoms", heavy_lines)
    figure.tight_layout()
    figure.savefig(path, dpi=110)
    plt.close(figure)
