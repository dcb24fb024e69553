"""lint_xyz on a 100,000-atom XYZ text against ASE's ase.io.read of the same
text, both timed in this run; the goal is lint_xyz at least 50x faster."""

import io
import sys
from pathlib import Path

import ase.io

import quorv_lint

sys.path.insert(0, str(Path(__file__).parent))
from solvated_cluster import solvated_atoms, xyz_text  # noqa: E402
from timing import best_seconds, milliseconds  # noqa: E402

ATOM_COUNT = 100_000


def ase_read(text):
    return ase.io.read(io.StringIO(text), format="xyz")


def main():
    text = xyz_text(solvated_atoms(ATOM_COUNT))
    findings = quorv_lint.lint_xyz(text)
    assert len(ase_read(text)) == ATOM_COUNT
    megabytes = len(text.encode()) / 1e6
    print(f"solvated cluster: {ATOM_COUNT} atoms, {megabytes:.1f} MB of XYZ, {len(findings)} findings")
    lint_seconds = best_seconds(quorv_lint.lint_xyz, text)
    ase_seconds = best_seconds(ase_read, text, repeats=3)
    print(f"quorv_lint.lint_xyz: {milliseconds(lint_seconds)}  {megabytes / lint_seconds:7.1f} MB/s")
    print(f"ase.io.read:         {milliseconds(ase_seconds)}  {megabytes / ase_seconds:7.1f} MB/s")
    print(f"lint_xyz is {ase_seconds / lint_seconds:.1f}x faster than ase.io.read (goal: 50x)")


if __name__ == "__main__":
    main()
