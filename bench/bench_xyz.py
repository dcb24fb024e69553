"""lint_xyz on a 100,000-atom XYZ text against two Python baselines, all
timed in this run: ASE's ase.io.read of the same text (goal: lint_xyz at
least 60x faster) and pandas.read_csv of the coordinate block alone, which
reads the numbers and checks nothing (goal: at least 2x faster).

lint_xyz is timed first, in a loop of its own calls, so that it gets no
favour from a heap that an earlier baseline left warm."""

import io
import sys
from pathlib import Path

import ase.io
import pandas

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, xyz_text  # noqa: E402
from timing import best_seconds, milliseconds  # noqa: E402

ATOM_COUNT = 100_000


def ase_read(text):
    return ase.io.read(io.StringIO(text), format="xyz")


def pandas_read(text):
    """The element and coordinate columns of the atom lines, past the two header lines."""
    return pandas.read_csv(io.StringIO(text), sep=r"\s+", skiprows=2, header=None)


def main():
    text = xyz_text(solvated_atoms(ATOM_COUNT))
    megabytes = len(text.encode()) / 1e6
    lint_seconds = best_seconds(quorv_lint.lint_xyz, text, repeats=7)
    findings = quorv_lint.lint_xyz(text)
    assert len(ase_read(text)) == ATOM_COUNT and len(pandas_read(text)) == ATOM_COUNT
    print(f"solvated cluster: {ATOM_COUNT} atoms, {megabytes:.1f} MB of XYZ, {len(findings)} findings")
    ase_seconds = best_seconds(ase_read, text, repeats=3)
    pandas_seconds = best_seconds(pandas_read, text, repeats=5)
    print(f"quorv_lint.lint_xyz: {milliseconds(lint_seconds)}  {megabytes / lint_seconds:7.1f} MB/s")
    print(f"ase.io.read:         {milliseconds(ase_seconds)}  {megabytes / ase_seconds:7.1f} MB/s")
    print(f"pandas.read_csv:     {milliseconds(pandas_seconds)}  {megabytes / pandas_seconds:7.1f} MB/s")
    print(f"lint_xyz is {ase_seconds / lint_seconds:.1f}x faster than ase.io.read (goal: 60x)")
    print(f"lint_xyz is {pandas_seconds / lint_seconds:.1f}x faster than pandas.read_csv (goal: 2x)")


if __name__ == "__main__":
    main()
