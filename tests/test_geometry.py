"""Geometry rules through lint_json: bare heteroatoms, metal coordination,
overlapping atoms and unit scale, on realistic molecules and at the thresholds."""
import math

import pytest

from cluster_specs import (
    METHANE, WATER, WATER_IN_BOHR, benzene, diammine, lint, tetrahedral,
)


def bare(index, element, cutoff, nearest):
    return (
        "error",
        "bare-heteroatom",
        f"atom {index} ({element}) has no bonding partner within {cutoff} \u00c5 (nearest is {nearest} \u00c5). "
        "Likely a bare oxygen / missing hydrogens / a fragment cut through a bond.",
    )


def floating(element, index):
    return (
        "error",
        "metal-uncoordinated",
        f"metal {element} (atom {index}) has no neighbour within 2.7 \u00c5 \u2014 it is floating",
    )


def low_coordination(element, index):
    return (
        "warning",
        "metal-low-coordination",
        f"metal {element} (atom {index}) has coordination 1 \u2014 verify this is intended",
    )


def overlap(i, element_i, j, element_j, distance):
    return (
        "error",
        "overlapping-atoms",
        f"atoms {i} ({element_i}) and {j} ({element_j}) are {distance} \u00c5 apart \u2014 below any real bond "
        "(H\u2013H is 0.74 \u00c5). Likely a duplicated atom or a coordinate error.",
    )


def unit_scale(closest, converted):
    return (
        "warning",
        "unit-scale",
        f"closest hydrogen bond is {closest} \u00c5 \u2014 longer than any real X\u2013H bond (~1.0 \u00c5). "
        f"The geometry is likely in Bohr (\u00d70.529 \u2192 {converted} \u00c5), not the \u00c5ngstr\u00f6m "
        "this tool assumes. Convert the coordinates, or verify the units.",
    )


def geometry(atoms):
    """Findings with charge and multiplicity declared so that only geometry can
    speak for neutral closed-shell inputs."""
    return [f for f in lint(atoms, charge=0, spin_multiplicity=1) if not f[1].startswith(("electron", "spin"))]


@pytest.mark.parametrize(
    "atoms",
    [WATER, METHANE, benzene(), tetrahedral("Zn", "Cl", 2.28), diammine("Cu"), diammine("Ag", 2.12)],
    ids=["water", "methane", "benzene", "ZnCl4", "Cu(NH3)2", "Ag(NH3)2"],
)
def test_well_formed_molecules_are_clean(atoms):
    assert geometry(atoms) == []


def test_water_in_bohr():
    # O-H is 1.810 bohr: read as ångström, the oxygen is bare and the hydrogens too far.
    assert lint(WATER_IN_BOHR, charge=0, spin_multiplicity=1) == [
        bare(0, "O", "1.75", "1.81"),
        unit_scale("1.81", "0.96"),
    ]


def test_methane_in_bohr_reports_carbon_and_units():
    methane_bohr = [(e, x / 0.529177, y / 0.529177, z / 0.529177) for e, x, y, z in METHANE]
    assert geometry(methane_bohr) == [bare(0, "C", "1.75", "2.06"), unit_scale("2.06", "1.09")]


def test_stripped_hydrogens_leave_bare_heteroatoms():
    # A water oxygen and a methane carbon with their hydrogens gone, 4 Å apart.
    assert geometry([("O", 0, 0, 0), ("C", 4, 0, 0)]) == [bare(0, "O", "1.75", "4.00"), bare(1, "C", "1.75", "4.00")]
    # Benzene's carbon ring without hydrogens still has its C-C bonds.
    assert geometry(benzene()[:6]) == []


@pytest.mark.parametrize(
    "atoms, expected",
    [
        ([("O", 0, 0, 0)], [bare(0, "O", "1.75", "inf")]),
        ([("S", 0, 0, 0)], [bare(0, "S", "1.95", "inf")]),
        ([("P", 1, 2, 3)], [bare(0, "P", "1.95", "inf")]),
        ([("Cl", 0, 0, 0)], []),
        ([("H", 0, 0, 0)], []),
        ([("Fe", 0, 0, 0)], [floating("Fe", 0)]),
        ([], []),
    ],
)
def test_single_atoms(atoms, expected):
    assert geometry(atoms) == expected


@pytest.mark.parametrize(
    "element, cutoff",
    [("C", 1.75), ("N", 1.75), ("O", 1.75), ("P", 1.95), ("S", 1.95)],
)
def test_bonding_cutoff_is_inclusive(element, cutoff):
    at = [(element, 0, 0, 0), ("Cl", cutoff, 0, 0)]
    assert geometry(at) == []
    below = [(element, 0, 0, 0), ("Cl", math.nextafter(cutoff, 0), 0, 0)]
    assert geometry(below) == []
    above = [(element, 0, 0, 0), ("Cl", math.nextafter(cutoff, 9), 0, 0)]
    assert geometry(above) == [bare(0, element, f"{cutoff:.2f}", f"{cutoff:.2f}")]


@pytest.mark.parametrize("symbol", ["Cl", "Si", "Se", "o", "c", "CO", "Br"])
def test_other_symbols_never_bare(symbol):
    assert [f for f in lint([(symbol, 0, 0, 0)]) if f[1] == "bare-heteroatom"] == []


@pytest.mark.parametrize(
    "distance, expected",
    [
        (2.7, [low_coordination("Cu", 0)]),
        (math.nextafter(2.7, 0), [low_coordination("Cu", 0)]),
        (math.nextafter(2.7, 9), [floating("Cu", 0)]),
    ],
)
def test_coordination_radius_is_inclusive(distance, expected):
    assert geometry([("Cu", 0, 0, 0), ("Cl", distance, 0, 0)]) == expected


def test_copper_chloride_monomer_has_coordination_one():
    assert geometry([("Cu", 0, 0, 0), ("Cl", 2.05, 0, 0)]) == [low_coordination("Cu", 0)]


def test_metal_neighbours_include_hydrogens_and_metals():
    assert geometry([("H", -1.6, 0, 0), ("Pt", 0, 0, 0), ("H", 1.4, 0, 0)]) == []
    assert geometry([("Hg", 0, 0, 0), ("Hg", 2.5, 0, 0)]) == [low_coordination("Hg", 0), low_coordination("Hg", 1)]


@pytest.mark.parametrize(
    "distance, expected",
    [
        (0.5, []),
        (math.nextafter(0.5, 0), [overlap(0, "He", 1, "He", "0.500")]),
        (0.0, [overlap(0, "He", 1, "He", "0.000")]),
        (0.1234, [overlap(0, "He", 1, "He", "0.123")]),
    ],
)
def test_overlap_distance_is_strict(distance, expected):
    assert geometry([("He", 0, 0, 0), ("He", 0, 0, distance)]) == expected


def test_duplicated_hydrogen_in_water():
    atoms = WATER + [WATER[1]]
    assert lint(atoms, charge=0, spin_multiplicity=2) == [overlap(1, "H", 3, "H", "0.000")]


def test_every_overlapping_pair_in_pair_order():
    height = math.sqrt(0.4**2 - 0.15**2)
    atoms = [("Li", 0, 0, 0), ("Li", 0.3, 0, 0), ("Li", 0.15, height, 0)]
    assert geometry(atoms) == [
        overlap(0, "Li", 1, "Li", "0.300"),
        overlap(0, "Li", 2, "Li", "0.400"),
        overlap(1, "Li", 2, "Li", "0.400"),
    ]


@pytest.mark.parametrize(
    "atoms, expected",
    [
        ([("H", 0, 0, 0), ("Cl", 1.5, 0, 0)], []),
        ([("H", 0, 0, 0), ("Cl", math.nextafter(1.5, 9), 0, 0)], [unit_scale("1.50", "0.79")]),
        ([("H", 0, 0, 0), ("H", 0.74, 0, 0)], []),
        ([("H", 0, 0, 0), ("H", 2.0, 0, 0), ("H", 30, 0, 0), ("He", 35, 0, 0)], [unit_scale("2.00", "1.06")]),
        ([("D", 0, 0, 0), ("Cl", 3.0, 0, 0)], []),
        ([("H", 0, 0, 0)], []),
    ],
)
def test_unit_scale(atoms, expected):
    assert geometry(atoms) == expected


def test_huge_coordinates_give_infinite_distances():
    # 1e300 - (-1e300) squared overflows: the distance is infinite, so the oxygen's
    # nearest partner prints as inf and the infinite hydrogen contact is not reported.
    assert geometry([("O", 1e300, 0, 0), ("H", -1e300, 0, 0)]) == [bare(0, "O", "1.75", "inf")]
