"""The element tables and cutoffs checked against an independent source, RDKit's
periodic table and its force-field geometries. The tables are not visible from
Python, so every check goes through the findings of lint_json."""
import math

import pytest

from cluster_specs import ANGSTROM_PER_BOHR, lint


Chem = pytest.importorskip("rdkit.Chem")
AllChem = pytest.importorskip("rdkit.Chem.AllChem")
Descriptors = pytest.importorskip("rdkit.Chem.Descriptors")
PERIODIC_TABLE = Chem.GetPeriodicTable()

KNOWN_SYMBOLS = [
    "H", "He", "Li", "B", "C", "N", "O", "F", "Na", "Mg", "Al", "Si", "P", "S", "Cl",
    "K", "Ca", "Fe", "Co", "Ni", "Cu", "Zn", "Br", "Ag", "Cd", "I", "Au", "Hg", "Pb",
]
ELECTRON_CODES = {"electron-parity-abstain", "electron-count-negative", "spin-multiplicity-invalid", "electron-parity"}


def electron_findings(atoms, **fields):
    return [f for f in lint(atoms, **fields) if f[1] in ELECTRON_CODES]


def parity_message(n, m):
    return (
        f"impossible state: {n} electrons with multiplicity {m}. N and (M\u22121) must share parity \u2014 "
        "(N+M) must be odd, here it is even. Most common cause: forgotten ECP core subtraction or wrong formal charge."
    )


@pytest.mark.parametrize("symbol", KNOWN_SYMBOLS)
def test_atomic_number_matches_rdkit(symbol):
    z = PERIODIC_TABLE.GetAtomicNumber(symbol)
    fitting = 1 if z % 2 == 0 else 2  # a neutral atom with Z electrons
    wrong = 3 - fitting
    atom = [(symbol, 0.0, 0.0, 0.0)]
    assert electron_findings(atom, charge=0, spin_multiplicity=fitting) == []
    assert electron_findings(atom, charge=0, spin_multiplicity=wrong) == [
        ("error", "electron-parity", parity_message(z, wrong))
    ]
    # The charge moves the count by exactly one per unit, down to zero electrons.
    assert electron_findings(atom, charge=z, spin_multiplicity=2) == [("error", "electron-parity", parity_message(0, 2))]
    assert electron_findings(atom, charge=z + 1, spin_multiplicity=1) == [
        ("error", "electron-count-negative", "electron count is negative (-1): charge or ECP setup is wrong")
    ]


@pytest.mark.parametrize("symbol", ["Be", "Ne", "Ar", "Mn", "Ir", "Pt", "Ti", "Se"])
def test_elements_outside_the_table_abstain(symbol):
    assert PERIODIC_TABLE.GetAtomicNumber(symbol) > 0  # a real element, just not one the rules count
    assert electron_findings([(symbol, 0.0, 0.0, 0.0)], charge=0, spin_multiplicity=1) == [
        ("warning", "electron-parity-abstain", f"electron count not verified: unknown atomic number for {symbol}")
    ]


@pytest.mark.parametrize("heteroatom", ["C", "N", "O", "P", "S"])
@pytest.mark.parametrize("partner", ["H", "C", "N", "O"])
def test_covalent_bond_lengths_are_within_the_bonding_cutoff(heteroatom, partner):
    bond = PERIODIC_TABLE.GetRcovalent(heteroatom) + PERIODIC_TABLE.GetRcovalent(partner)
    findings = lint([(heteroatom, 0.0, 0.0, 0.0), (partner, bond, 0.0, 0.0)])
    # Only the heteroatom is judged here: a C or N partner of P or S sits beyond
    # its own, shorter cutoff.
    assert [f for f in findings if f[1] == "bare-heteroatom" and f[2].startswith("atom 0 ")] == []


@pytest.mark.parametrize("metal", ["Fe", "Co", "Ni", "Cu", "Zn", "Ag", "Cd", "Au", "Hg"])
@pytest.mark.parametrize("ligand", ["N", "O", "Cl", "S"])
def test_metal_ligand_bonds_are_within_the_coordination_radius(metal, ligand):
    bond = PERIODIC_TABLE.GetRcovalent(metal) + PERIODIC_TABLE.GetRcovalent(ligand)
    findings = lint([(metal, 0.0, 0.0, 0.0), (ligand, bond, 0.0, 0.0), (ligand, -bond, 0.0, 0.0)])
    assert [f for f in findings if f[1].startswith("metal-")] == []


def embedded(smiles):
    """RDKit's force-field geometry of the molecule, with explicit hydrogens."""
    molecule = Chem.AddHs(Chem.MolFromSmiles(smiles))
    assert AllChem.EmbedMolecule(molecule, randomSeed=0xC0FFEE) == 0
    AllChem.MMFFOptimizeMolecule(molecule)
    positions = molecule.GetConformer().GetPositions()
    atoms = [(a.GetSymbol(), *map(float, p)) for a, p in zip(molecule.GetAtoms(), positions)]
    charge = Chem.GetFormalCharge(molecule)
    multiplicity = Descriptors.NumRadicalElectrons(molecule) + 1
    return atoms, charge, multiplicity


MOLECULES = ["O", "C", "CCO", "c1ccccc1", "CC#N", "CSC", "CP(C)C", "[NH4+]", "CC(=O)[O-]", "[CH3]", "OS(=O)(=O)O"]


@pytest.mark.parametrize("smiles", MOLECULES)
def test_force_field_geometries_lint_clean(smiles):
    atoms, charge, multiplicity = embedded(smiles)
    assert lint(atoms, charge=charge, spin_multiplicity=multiplicity) == []
    # One electron more or less breaks the parity.
    assert [f[1] for f in lint(atoms, charge=charge + 1, spin_multiplicity=multiplicity)] == ["electron-parity"]


@pytest.mark.parametrize("smiles", MOLECULES)
def test_force_field_geometries_in_bohr_are_caught(smiles):
    atoms, charge, multiplicity = embedded(smiles)
    in_bohr = [(e, x / ANGSTROM_PER_BOHR, y / ANGSTROM_PER_BOHR, z / ANGSTROM_PER_BOHR) for e, x, y, z in atoms]
    closest = min(
        math.dist(a[1:], b[1:]) for i, a in enumerate(in_bohr) if a[0] == "H" for j, b in enumerate(in_bohr) if i != j
    )
    warnings = [f for f in lint(in_bohr, charge=charge, spin_multiplicity=multiplicity) if f[1] == "unit-scale"]
    assert warnings == [
        (
            "warning",
            "unit-scale",
            f"closest hydrogen bond is {closest:.2f} \u00c5 \u2014 longer than any real X\u2013H bond (~1.0 \u00c5). "
            f"The geometry is likely in Bohr (\u00d70.529 \u2192 {closest * ANGSTROM_PER_BOHR:.2f} \u00c5), not the "
            "\u00c5ngstr\u00f6m this tool assumes. Convert the coordinates, or verify the units.",
        )
    ]
