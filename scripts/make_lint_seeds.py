"""Write the seed corpus of the fuzz_lint target: a few clusters in its byte layout.

The layout is described at the top of fuzz/fuzz_lint.cpp; this file encodes
clusters into it, so that the seeds say what they hold. Run from the project
root: python scripts/make_lint_seeds.py
"""

import math
import pathlib
import struct

SEEDS = pathlib.Path("fuzz/seeds/lint")

# The dictionary and value tables of fuzz_lint.cpp, in its order.
SYMBOLS = ["H", "C", "N", "O", "P", "S", "Cl", "Si", "F", "Br", "I", "Fe", "Co", "Ni",
           "Cu", "Zn", "Ag", "Cd", "Au", "Hg", "Pb", "Pt", "Ir", "Mn", "K", "Na", "He", "D",
           "", "fe", "FE", "CO", "h", " O", "O ", "Fe1", "Xx", "Q", "In", "\u00c5"]
GRID_STEPS = [0.0, 0.25, 0.5, 0.74, 1.0, 1.5, 1.75, 1.8, 1.95, 2.0, 2.7, 3.0, 0.3, 0.4, 0.96, 5.0]
SPECIAL = {"nan": 0xc0, "inf": 0xc1, "-inf": 0xc2, "max": 0xc3, "-max": 0xc4, "denorm": 0xc5,
           "-denorm": 0xc6, "min": 0xc7, "-0": 0xc8, "1e300": 0xc9, "-1e300": 0xca, "1e154": 0xcb,
           "2^30": 0xcc, "-2^30": 0xcd, "1e-150": 0xce, "1e-200": 0xcf}
INT64_MIN, INT64_MAX = 0, 1  # selectors of the extreme integers


def integer(value):
    if isinstance(value, tuple):  # ("extreme", selector)
        return bytes([value[1]])
    if -0x70 <= value <= 0x7f:
        return bytes([value + 0x80])
    return bytes([0x08]) + struct.pack("<q", value)


def symbol(text):
    if text in SYMBOLS:
        return bytes([SYMBOLS.index(text)])
    raw = text.encode("utf-8")
    assert len(raw) <= 4
    return bytes([0xff, len(raw)]) + raw


def coordinate(value):
    if isinstance(value, str):
        return bytes([SPECIAL[value]])
    if abs(value) in GRID_STEPS and not (value == 0 and math.copysign(1, value) < 0):
        return bytes([GRID_STEPS.index(abs(value)) | (0x10 if value < 0 else 0)])
    if value == int(value) and -24 <= value <= 23:
        return bytes([int(value) + 0x98])
    if value * 256 == int(value * 256) and -128 <= value < 128:
        return bytes([0xb0]) + struct.pack("<h", int(value * 256))
    return bytes([0xe0]) + struct.pack("<d", value)


SHAPES = {"far_fragments": 0, "stripped_hydrogens": 1, "coincident": 2, "dense_cloud": 3, "line": 4,
          "neighbouring_doubles": 5}


def cluster(atoms, charge=None, multiplicity=None, oxidation=None, ecp=(), shape=None):
    """shape: (name, atom count, seed, coordinate), the generated atoms coming before `atoms`."""
    flags = (charge is not None) | (multiplicity is not None) << 1 | (oxidation is not None) << 2
    flags |= (shape is not None) << 3 | len(ecp) << 4
    out = bytes([flags])
    if charge is not None:
        out += integer(charge)
    if multiplicity is not None:
        out += bytes([multiplicity]) if multiplicity < 0xfe else bytes([0xfe]) + struct.pack("<I", multiplicity)
    if oxidation is not None:
        out += integer(oxidation)
    for element in ecp:
        out += symbol(element)
    if shape is not None:
        name, count, seed, where = shape
        out += bytes([SHAPES[name], count, seed]) + coordinate(where)
    for element, x, y, z in atoms:
        out += symbol(element) + coordinate(x) + coordinate(y) + coordinate(z)
    return out


WATER = [("O", 0, 0, 0), ("H", 0.96, 0, 0), ("H", -0.25, 0.96, 0)]
CASES = {
    "water": cluster(WATER, charge=0, multiplicity=1),
    "water_triplet": cluster(WATER, charge=0, multiplicity=3),
    "water_in_bohr": cluster([("O", 0, 0, 0), ("H", 1.8, 0, 0), ("H", 0, 1.8, 0)], charge=0, multiplicity=1),
    "bare_geometry": cluster(WATER),
    "thresholds_exact": cluster([("N", 0, 0, 0), ("C", 1.75, 0, 0), ("Fe", 0, 2.7, 0), ("H", 0, 0, 1.5)],
                                charge=0, multiplicity=2),
    "overlapping_triple": cluster([("H", 0, 0, 0), ("H", 0.3, 0, 0), ("He", 0, 0.4, 0)], charge=0, multiplicity=1),
    "duplicate_positions": cluster([("C", 1, 1, 1)] * 4 + [("O", 1, 1, 1)], charge=0, multiplicity=1),
    "zinc_closed_shell": cluster([("Zn", 0, 0, 0)], charge=2, multiplicity=3, oxidation=2),
    "iodide_ecp": cluster([("I", 0, 0, 0), ("I", 3, 0, 0), ("Ag", 0, 2.7, 0)], charge=-1, multiplicity=1,
                          ecp=["I", "I", "Ag", "Au"]),
    "unknown_core": cluster([("Fe", 0, 0, 0), ("Cl", 2.2, 0, 0)], charge=0, multiplicity=5, ecp=["Fe"]),
    "unknown_symbols": cluster([("Xx", 0, 0, 0), ("", 3, 0, 0), ("fe", 0, 3, 0), ("Q", 0, 0, 3), ("Pt", 5, 5, 5)],
                               charge=0, multiplicity=1),
    "charge_extremes": cluster([("H", 0, 0, 0)], charge=("extreme", INT64_MIN), multiplicity=0xffffffff,
                               oxidation=("extreme", INT64_MAX)),
    "charge_max": cluster([("Hg", 0, 0, 0), ("O", 2, 0, 0)], charge=("extreme", INT64_MAX), multiplicity=0,
                          oxidation=2),
    "non_finite": cluster([("H", "nan", 0, 0), ("O", "inf", 0, 0), ("H", "-inf", 0, 0), ("Cu", "max", "-max", 0),
                           ("S", "denorm", "-denorm", "-0"), ("P", "1e154", "1e154", "1e154")],
                          charge=0, multiplicity=1),
    "far_apart": cluster([("H", "2^30", 0, 0), ("H", "-2^30", 0, 0), ("O", 100.5, -37.25, 0.75),
                          ("H", 101.5, -37.25, 0.75), ("Fe", "1e-150", "1e-200", 0), ("Cl", 0, 0, 2.5)],
                         charge=0, multiplicity=1),
    "huge_and_tiny": cluster([("H", "1e300", 0, 0), ("H", "-1e300", 0, 0), ("Co", "min", 0, 0),
                              ("Ni", 1e-310, 0, 0)], charge=1, multiplicity=2, oxidation=-3),
    "shape_far_fragments": cluster([("O", 1.5e9, 0, 0)], charge=0, multiplicity=1,
                                   shape=("far_fragments", 240, 1, 0)),
    "shape_stripped_hydrogens": cluster([], shape=("stripped_hydrogens", 200, 2, 0)),
    "shape_coincident": cluster([("Fe", 0.25, 0.25, -0.25)], shape=("coincident", 40, 3, 0.25)),
    "shape_dense_cloud": cluster([], charge=0, multiplicity=1, shape=("dense_cloud", 120, 4, -5)),
    "shape_line": cluster([("Cu", 1, 1, 0)], shape=("line", 200, 5, 0.5)),
    "shape_neighbouring_doubles": cluster([("O", "1e300", "1e300", 0)], shape=("neighbouring_doubles", 60, 6, 0)),
    # Sizes on either side of where the small-molecule search changes its way.
    "shape_stripped_hydrogens_17": cluster([], shape=("stripped_hydrogens", 17, 7, 0)),
    "shape_line_128": cluster([], shape=("line", 128, 8, 0.5)),
    "shape_line_129": cluster([], shape=("line", 129, 8, 0.5)),
}


def main():
    SEEDS.mkdir(parents=True, exist_ok=True)
    for name, data in CASES.items():
        (SEEDS / f"{name}.bin").write_bytes(data)


if __name__ == "__main__":
    main()
