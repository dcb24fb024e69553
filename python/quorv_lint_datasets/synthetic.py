"""Generated data sets with planted faults, for tests, benchmarks and the demo.

Frames are small neutral closed-shell molecules, rattled. A planted fault is
one of: "multiplicity" (declared a doublet), "overlap" (an atom duplicated),
"bohr" (coordinates divided by the bohr length, as if never converted) and
"unreadable" (a frame no reader can take). `plant` says which frame gets
which, and each writer returns the frames as written.
"""
from __future__ import annotations

import sqlite3
from typing import Dict, List, NamedTuple, Optional

import numpy as np

BOHR = 0.529177210903
FAULTS = ("multiplicity", "overlap", "bohr", "unreadable")

# (symbols, atomic numbers, coordinates in ångström)
MOLECULES = [
    (["O", "H", "H"], [8, 1, 1], [[0.0, 0.0, 0.117], [0.0, 0.757, -0.467], [0.0, -0.757, -0.467]]),
    (["C", "H", "H", "H", "H"], [6, 1, 1, 1, 1],
     [[0.0, 0.0, 0.0], [0.629, 0.629, 0.629], [-0.629, -0.629, 0.629], [-0.629, 0.629, -0.629],
      [0.629, -0.629, -0.629]]),
    (["N", "H", "H", "H"], [7, 1, 1, 1],
     [[0.0, 0.0, 0.116], [0.0, 0.939, -0.272], [0.813, -0.470, -0.272], [-0.813, -0.470, -0.272]]),
    (["C", "O", "H", "H"], [6, 8, 1, 1], [[0.0, 0.0, -0.529], [0.0, 0.0, 0.680], [0.0, 0.935, -1.109],
                                          [0.0, -0.935, -1.109]]),
]


class Frame(NamedTuple):
    symbols: List[str]
    numbers: List[int]
    positions: np.ndarray  # ångström, or bohr-sized for a "bohr" fault
    multiplicity: int
    fault: Optional[str]


def plant(frames: int, every: int = 1000, seed: int = 0) -> Dict[int, str]:
    """One fault every `every` frames on average, at random frames, kinds in turn."""
    rng = np.random.default_rng(seed)
    chosen = sorted(rng.choice(frames, size=max(1, frames // every), replace=False).tolist())
    return {frame: FAULTS[i % len(FAULTS)] for i, frame in enumerate(chosen)}


def molecule_of(frame: int) -> int:
    return frame % len(MOLECULES)


def make_frame(frame: int, fault: Optional[str], rng: np.random.Generator, molecule: Optional[int] = None) -> Frame:
    symbols, numbers, coordinates = MOLECULES[molecule_of(frame) if molecule is None else molecule]
    positions = np.asarray(coordinates) + rng.normal(0.0, 0.01, (len(symbols), 3))
    symbols, numbers = list(symbols), list(numbers)
    multiplicity = 1
    if fault == "multiplicity":
        multiplicity = 2
    elif fault == "overlap":
        symbols.append(symbols[-1])
        numbers.append(numbers[-1])
        positions = np.vstack([positions, positions[-1] + 0.05])
    elif fault == "bohr":
        positions = positions / BOHR
    return Frame(symbols, numbers, positions, multiplicity, fault)


def frames(count: int, faults: Dict[int, str], seed: int = 0) -> List[Frame]:
    rng = np.random.default_rng(seed)
    return [make_frame(i, faults.get(i), rng) for i in range(count)]


def xyz_text(frame: Frame) -> str:
    lines = [str(len(frame.symbols)), f'charge=0 multiplicity={frame.multiplicity} Properties=species:S:1:pos:R:3 '
                                      f'pbc="F F F"']
    for index, (symbol, (x, y, z)) in enumerate(zip(frame.symbols, frame.positions)):
        # An unreadable frame: a decimal comma where a coordinate must be.
        x_text = "1,5" if frame.fault == "unreadable" and index == 0 else f"{x:.8f}"
        lines.append(f"{symbol} {x_text} {y:.8f} {z:.8f}")
    return "\n".join(lines) + "\n"


def write_xyz(path: str, count: int, faults: Dict[int, str], seed: int = 0) -> List[Frame]:
    made = frames(count, faults, seed)
    with open(path, "w", encoding="utf-8") as stream:
        for frame in made:
            stream.write(xyz_text(frame))
    return made


def write_hdf5(path: str, count: int, faults: Dict[int, str], layout: str = "spice", per_group: int = 50,
               seed: int = 0) -> List[Frame]:
    """One group per run of frames of one molecule, in the SPICE or ANI layout.

    Frames with a fault that changes the atoms (overlap) or that cannot be read
    get a group of their own; "multiplicity" cannot be stated in these layouts
    and is written as a doublet only where a multiplicity dataset is (layout
    "spice" carries one for the test's sake), "unreadable" is an atomic number
    no element has.
    """
    import h5py
    rng = np.random.default_rng(seed)
    made = []
    with h5py.File(path, "w") as handle:
        frame, group_number = 0, 0
        while frame < count:
            fault = faults.get(frame)
            molecule = molecule_of(group_number)
            size = 1 if fault in ("overlap", "unreadable") else min(per_group, count - frame)
            # A run stops before the next fault that needs a group of its own.
            for offset in range(1, size):
                if faults.get(frame + offset) in ("overlap", "unreadable"):
                    size = offset
                    break
            group_frames = [make_frame(frame + i, faults.get(frame + i), rng, molecule) for i in range(size)]
            made += group_frames
            numbers = np.asarray(group_frames[0].numbers, dtype=np.int16)
            if fault == "unreadable":
                numbers[0] = 200
            positions = np.stack([f.positions for f in group_frames])
            group = handle.create_group(f"mol{group_number:07d}")
            if layout == "spice":
                group["atomic_numbers"] = numbers
                group["conformations"] = positions / BOHR
                group["conformations"].attrs["units"] = "bohr"
                group["smiles"] = np.array([b"[H]O[H]"])
                group["multiplicity"] = np.array([f.multiplicity for f in group_frames], dtype=np.int64)
            else:
                group["species"] = np.broadcast_to(numbers, (size, len(numbers)))
                group["coordinates"] = positions
            frame += size
            group_number += 1
    return made


def write_ase_db(path: str, count: int, faults: Dict[int, str], seed: int = 0) -> List[Frame]:
    """An ASE database (.db or .aselmdb) with charge and multiplicity as key-value pairs.

    An "unreadable" frame's positions are damaged in the file itself (SQLite only).
    """
    import ase
    import ase.db
    made = frames(count, faults, seed)
    with ase.db.connect(path, append=False) as db:
        for frame in made:
            db.write(ase.Atoms(numbers=frame.numbers, positions=frame.positions), charge=0,
                     multiplicity=frame.multiplicity)
    if path.endswith(".db"):
        damaged = [index + 1 for index, frame in enumerate(made) if frame.fault == "unreadable"]
        with sqlite3.connect(path) as connection:
            connection.executemany("UPDATE systems SET positions = ? WHERE id = ?",
                                   [(b"\x00\x01\x02", row_id) for row_id in damaged])
    return made


WRITERS = {"xyz": write_xyz, "hdf5": write_hdf5, "ase": write_ase_db}


def main(argv=None) -> int:
    """python -m quorv_lint_datasets.synthetic KIND PATH FRAMES [EVERY]: write a set with planted faults."""
    import argparse
    parser = argparse.ArgumentParser(prog="python -m quorv_lint_datasets.synthetic", description=main.__doc__)
    parser.add_argument("kind", choices=sorted(WRITERS))
    parser.add_argument("path")
    parser.add_argument("frames", type=int)
    parser.add_argument("every", type=int, nargs="?", default=1000, help="one planted fault per EVERY frames")
    args = parser.parse_args(argv)
    faults = plant(args.frames, args.every)
    WRITERS[args.kind](args.path, args.frames, faults)
    kinds = {kind: sum(1 for planted in faults.values() if planted == kind) for kind in FAULTS}
    print(f"wrote {args.frames} frames to {args.path}; planted: "
          + ", ".join(f"{count} {kind}" for kind, count in kinds.items()))
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
