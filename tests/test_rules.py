"""Electron-count, spin and closed-shell metal rules, and the order of all findings,
through lint_json with realistic molecules."""
import pytest

from cluster_specs import (
    METHANE, WATER, benzene, codes, diammine, lint, tetrahedral,
)


UNDECLARED = (
    "warning",
    "electron-parity-abstain",
    "electron parity not checked: charge and/or spin multiplicity not provided "
    "(a bare geometry omits them). Declare both to enable it.",
)


ELECTRON_CODES = {
    "electron-parity-abstain", "electron-count-negative", "spin-multiplicity-invalid",
    "electron-parity", "metal-spin-state",
}


def electron_findings(atoms, **fields):
    return [f for f in lint(atoms, **fields) if f[1] in ELECTRON_CODES]


def parity(n, m):
    return (
        "error",
        "electron-parity",
        f"impossible state: {n} electrons with multiplicity {m}. N and (M\u22121) must share parity "
        "\u2014 (N+M) must be odd, here it is even. Most common cause: forgotten ECP core "
        "subtraction or wrong formal charge.",
    )


def closed_shell(cation, m):
    return (
        "error",
        "metal-spin-state",
        f"{cation} is a closed-shell d\u00b9\u2070 cation and must be a singlet (M=1), "
        f"but multiplicity {m} was declared.",
    )


def unknown_z(symbols):
    return ("warning", "electron-parity-abstain", f"electron count not verified: unknown atomic number for {symbols}")


def unknown_core(symbols):
    return (
        "warning",
        "electron-parity-abstain",
        f"electron parity not verified: unknown ECP core for {symbols} \u2014 declare it or verify by hand",
    )


def negative(n):
    return ("error", "electron-count-negative", f"electron count is negative ({n}): charge or ECP setup is wrong")


# Hand-counted: water 10 electrons, methane 10, benzene 42, methyl 9, phenyl 41.
@pytest.mark.parametrize(
    "atoms, charge, multiplicity, expected",
    [
        (WATER, 0, 1, []),
        (WATER, 0, 2, [parity(10, 2)]),
        (WATER, 0, 3, []),
        (WATER, 1, 2, []),
        (WATER, -1, 1, [parity(11, 1)]),
        (METHANE, 0, 1, []),
        (METHANE[:4], 0, 1, [parity(9, 1)]),  # a methyl radical declared as a singlet
        (METHANE[:4], 0, 2, []),
        (benzene(), 0, 1, []),
        (benzene()[:11], 0, 1, [parity(41, 1)]),  # phenyl: one hydrogen lost
        (benzene()[:11], 0, 2, []),
        (benzene()[:11], -1, 1, []),  # phenyl anion
    ],
)
def test_electron_parity_of_molecules(atoms, charge, multiplicity, expected):
    assert lint(atoms, charge=charge, spin_multiplicity=multiplicity) == expected


@pytest.mark.parametrize(
    "fields",
    [{}, {"charge": 0}, {"spin_multiplicity": 1}, {"charge": None, "spin_multiplicity": 1}],
)
def test_missing_declarations_abstain(fields):
    assert lint(WATER, **fields) == [UNDECLARED]
    # Unknown symbols are not even looked at.
    assert lint([("Xx", 0, 0, 0), ("Q", 3, 0, 0)], **fields) == [UNDECLARED]


def test_empty_cluster_without_declarations_gives_only_the_abstain():
    assert lint([]) == [UNDECLARED]


@pytest.mark.parametrize(
    "symbols, listed",
    [
        (["Xx", "O", "Xx", "Q"], "Q, Xx"),
        (["fe"], "fe"),  # the JSON reader passes symbols through unchanged
        (["FE", "CO", "Co"], "CO, FE"),
        (["Fe ", " Fe", "Fe1"], " Fe, Fe , Fe1"),
        ([""], ""),
        (["Xx", ""], ", Xx"),
        (["Pt"], "Pt"),
        (["Ir", "Mn", "Zn"], "Ir, Mn"),
        (["\u00c5", "a", "Zz"], "Zz, a, \u00c5"),
    ],
)
def test_unknown_symbols_abstain_sorted_and_once(symbols, listed):
    atoms = [(s, 1.0 * i, 0.0, 0.0) for i, s in enumerate(symbols)]
    assert electron_findings(atoms, charge=0, spin_multiplicity=1) == [unknown_z(listed)]
    assert electron_findings(atoms, charge=0, spin_multiplicity=1, ecp_elements=symbols) == [unknown_z(listed)]


def test_platinum_always_stops_at_the_atomic_number():
    cisplatin_core = [("Pt", 0, 0, 0), ("Cl", 2.3, 0, 0), ("Cl", 0, 2.3, 0)]
    for ecp in ([], ["Pt"]):
        assert lint(cisplatin_core, charge=0, spin_multiplicity=1, ecp_elements=ecp) == [unknown_z("Pt")]


# [Ag(NH3)2]+: 47 + 2 * 10 = 67 protons; with an ECP on silver, 28 core electrons go.
@pytest.mark.parametrize(
    "ecp, multiplicity, expected",
    [
        ([], 1, []),  # 66 electrons, all-electron
        (["Ag"], 1, []),  # 38 valence electrons
        (["Ag", "Ag", "Au"], 2, [parity(38, 2)]),
        ([], 2, [parity(66, 2)]),
        (["ag"], 2, [parity(66, 2)]),  # a different case lists another element
        (["N"], 1, [unknown_core("N")]),
        (["H", "N", "Ag"], 1, [unknown_core("H, N")]),
    ],
)
def test_ecp_core_subtraction(ecp, multiplicity, expected):
    assert lint(diammine("Ag", 2.12), charge=1, spin_multiplicity=multiplicity, ecp_elements=ecp) == expected


def test_iodine_core_counts_per_atom_not_per_listing():
    iodine = [("I", 0, 0, 0), ("I", 2.67, 0, 0)]
    assert lint(iodine, charge=0, spin_multiplicity=2, ecp_elements=["I"]) == [parity(50, 2)]
    assert lint(iodine, charge=0, spin_multiplicity=2, ecp_elements=["I", "I"]) == [parity(50, 2)]


def test_fe_has_no_known_core():
    iron_dichloride = [("Fe", 0, 0, 0), ("Cl", 2.2, 0, 0), ("Cl", -2.2, 0, 0)]
    assert lint(iron_dichloride, charge=0, spin_multiplicity=1, ecp_elements=["Fe"]) == [unknown_core("Fe")]


@pytest.mark.parametrize(
    "atoms, charge, multiplicity, expected",
    [
        ([("H", 0, 0, 0)], 2, 1, [negative(-1)]),
        ([("H", 0, 0, 0)], 2, 0, [negative(-1)]),  # the multiplicity is not judged any more
        ([], 1, 1, [negative(-1)]),
        ([], 0, 1, []),
        ([], 0, 2, [parity(0, 2)]),
        (WATER, 11, 1, [negative(-1)]),
        (WATER, 0, 0, [("error", "spin-multiplicity-invalid", "spin multiplicity must be \u2265 1, got 0")]),
        (WATER, 0, 4294967295, []),
        (WATER, 1, 4294967295, [parity(9, 4294967295)]),
        ([], -9223372036854775807, 1, [parity(9223372036854775807, 1)]),
        # The charge adds 2^63 electrons: the count is exact, past the 64-bit range.
        ([("H", 0, 0, 0)], -9223372036854775808, 1, [parity(9223372036854775809, 1)]),
        ([], -9223372036854775808, 2, [parity(9223372036854775808, 2)]),
        ([("I", 0, 0, 0)], 9223372036854775807, 1, [negative(-9223372036854775754)]),
    ],
)
def test_count_multiplicity_and_parity_edges(atoms, charge, multiplicity, expected):
    assert lint(atoms, charge=charge, spin_multiplicity=multiplicity) == expected


# [ZnCl4]2-: 30 + 4 * 17 + 2 = 100 electrons.
ZINC_TETRACHLORIDE = tetrahedral("Zn", "Cl", 2.28)


@pytest.mark.parametrize(
    "multiplicity, expected",
    [
        (1, []),
        (3, [closed_shell("Zn+2", 3)]),  # 103 is odd: only the spin-state error
        (2, [parity(100, 2), closed_shell("Zn+2", 2)]),
        (0, [("error", "spin-multiplicity-invalid", "spin multiplicity must be \u2265 1, got 0"),
             closed_shell("Zn+2", 0)]),
    ],
)
def test_zinc_tetrachloride(multiplicity, expected):
    assert lint(ZINC_TETRACHLORIDE, charge=-2, spin_multiplicity=multiplicity, metal_oxidation_state=2) == expected


@pytest.mark.parametrize(
    "metal, oxidation_state, expected",
    [
        ("Cu", 1, [closed_shell("Cu+1", 3)]),
        ("Ag", 1, [closed_shell("Ag+1", 3)]),
        ("Au", 1, [closed_shell("Au+1", 3)]),
        ("Cu", 2, []),  # copper(II) is d9
        ("Ni", 2, []),
        ("Zn", 1, []),
    ],
)
def test_closed_shell_d10_needs_the_right_metal_and_state(metal, oxidation_state, expected):
    # Charge left out: the electron count abstains, the closed-shell rule still runs.
    findings = lint(diammine(metal), spin_multiplicity=3, metal_oxidation_state=oxidation_state)
    assert findings == expected + [UNDECLARED]


def test_copper_i_diammine_singlet_is_clean():
    assert lint(diammine("Cu"), charge=1, spin_multiplicity=1, metal_oxidation_state=1) == []


def test_closed_shell_rule_needs_exactly_one_metal_and_a_multiplicity():
    two_zinc = ZINC_TETRACHLORIDE + [("Zn", 0, 0, 2.5)]
    assert "metal-spin-state" not in codes(two_zinc, charge=-2, spin_multiplicity=3, metal_oxidation_state=2)
    zinc_and_iron = ZINC_TETRACHLORIDE + [("Fe", 0, 0, 2.5)]
    assert "metal-spin-state" not in codes(zinc_and_iron, charge=-2, spin_multiplicity=3, metal_oxidation_state=2)
    assert lint(ZINC_TETRACHLORIDE, charge=-2, metal_oxidation_state=2) == [UNDECLARED]
    assert lint(ZINC_TETRACHLORIDE, charge=-2, spin_multiplicity=3) == []


def test_lone_zinc_triplet_sorts_errors_first():
    metal_floating = (
        "error",
        "metal-uncoordinated",
        "metal Zn (atom 0) has no neighbour within 2.7 \u00c5 \u2014 it is floating",
    )
    zinc = [("Zn", 0, 0, 0)]
    assert lint(zinc, charge=2, spin_multiplicity=3, metal_oxidation_state=2) == [
        metal_floating, closed_shell("Zn+2", 3),
    ]
    assert lint(zinc, spin_multiplicity=3, metal_oxidation_state=2) == [
        metal_floating, closed_shell("Zn+2", 3), UNDECLARED,
    ]


def test_findings_of_all_groups_in_severity_then_production_order():
    atoms = [
        ("O", 0, 0, 0),  # bare: its nearest atom is the zinc 10 Å away
        ("Zn", 10, 0, 0), ("Cl", 12.3, 0, 0),  # zinc with one neighbour
        ("He", 20, 0, 0), ("He", 20.2, 0, 0),  # overlap
        ("H", 20, 2, 0),  # closest hydrogen contact 2.00 Å
    ]
    assert codes(atoms, spin_multiplicity=3, metal_oxidation_state=2) == [
        "bare-heteroatom", "metal-spin-state", "overlapping-atoms",
        "electron-parity-abstain", "metal-low-coordination", "unit-scale",
    ]


def test_repeated_findings_are_kept():
    atoms = [("O", 10.0 * i, 0, 0) for i in range(3)] + [("He", 50, 0, 0)] * 3
    assert codes(atoms, charge=0, spin_multiplicity=1) == ["bare-heteroatom"] * 3 + ["overlapping-atoms"] * 3
