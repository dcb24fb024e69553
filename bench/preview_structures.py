"""Real structures for measuring the rule sets, from what pip and Debian packages ship.

Every structure is a neutral or charged molecule or complex as its source gives it, with its
declared charge and multiplicity and, where the source lists them, its bonds:

- ASE's collections: G2 (molecules, radicals and atoms; multiplicity from the initial magnetic
  moments), S26 (S22 and four more non-covalent dimers), DBH24 (reactants and transition
  states of barrier heights, ion-molecule complexes among them) and ASE's extra molecules.
- RDKit's SD files: three sets of drug-like ligands with 3D coordinates, hydrogens and bond
  tables, and the NCI sample (2D), embedded in 3D with a fixed seed; of a salt the largest
  fragment is kept. The multiplicity is RDKit's count of radical electrons plus one.
- Debian's chemical-structures-data and libavogadro-data: CML files with 3D coordinates and
  bonds (organic molecules, fullerenes, and Avogadro's coordination templates).
- A small set built here from textbook bond lengths, for the chemistry that none of those
  packages ships: the structures a fixed cutoff is known to misjudge (CCl4, S8, P4, PCl5, a
  mu-oxo bridge, Au13, hydrides) and common metal complexes.

Neither the SD nor the CML files say how many unpaired d or f electrons a metal has; a structure
with a d- or f-block metal from them is declared with the lowest multiplicity its electron count
allows (a Cu(II) complex a doublet), as a user without that knowledge would declare it.

Each source that is not installed is left out, and `missing_sources()` says which.
"""

from __future__ import annotations

import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass, field
from pathlib import Path

Atom = tuple[str, float, float, float]

DEBIAN_CML_DIRECTORIES = [Path("/usr/share/chemical-structures"), Path("/usr/share/avogadro2/molecules")]
RDKIT_SD_FILES = [
    "Contrib/Fastcluster/testdata/cdk2.sdf",
    "Contrib/FreeWilson/data/cmet_ligands.sdf",
    "Contrib/PBF/testData/egfr.sdf",
]
RDKIT_2D_SD_FILE = "Data/NCI/first_200.props.sdf"
EMBEDDING_SEED = 0xC0FFEE


@dataclass
class Structure:
    name: str
    source: str
    atoms: list[Atom]
    charge: int = 0
    multiplicity: int = 1
    bonds: list[tuple[int, int]] | None = None  # as the source lists them, when it does
    ecp_elements: list[str] = field(default_factory=list)
    oxidation_state: int | None = None


def _multiplicity_from_moments(moments) -> int:
    return int(round(abs(sum(moments)))) + 1


def _is_d_or_f_block(z: int) -> bool:
    return 21 <= z <= 30 or 39 <= z <= 48 or 57 <= z <= 80 or 89 <= z <= 112


def _with_metal_spin_unknown(structure: Structure) -> Structure:
    """The lowest multiplicity the electron count allows, for a structure with a d- or f-block metal."""
    from ase.data import atomic_numbers

    numbers = [atomic_numbers.get(symbol, 0) for symbol, *_ in structure.atoms]
    if any(_is_d_or_f_block(z) for z in numbers):
        electrons = sum(numbers) - structure.charge
        structure.multiplicity = 1 if electrons % 2 == 0 else 2
    return structure


def ase_structures() -> list[Structure]:
    from ase.collections import g2
    from ase.data import dbh24, extra_molecules, s22

    structures = []
    for name in g2.names:
        molecule = g2[name]
        structures.append(Structure(
            f"g2/{name}", "ASE G2", _atoms_of(molecule), 0,
            _multiplicity_from_moments(molecule.get_initial_magnetic_moments())))
    for name in s22.s26:
        molecule = s22.create_s22_system(name)
        structures.append(Structure(f"s26/{name}", "ASE S26", _atoms_of(molecule)))
    for name in dbh24.dbh24:
        record = dbh24.data[name]
        molecule = dbh24.create_dbh24_system(name)
        structures.append(Structure(
            f"dbh24/{name}", "ASE DBH24", _atoms_of(molecule), int(record.get("charge", 0) or 0),
            _multiplicity_from_moments(record.get("magmoms") or [0])))
    for name, record in extra_molecules.data.items():
        from ase import Atoms
        molecule = Atoms(record["symbols"], record["positions"])
        structures.append(Structure(f"ase-extra/{name}", "ASE extra molecules", _atoms_of(molecule)))
    return structures


def _atoms_of(molecule) -> list[Atom]:
    return [(symbol, float(x), float(y), float(z))
            for symbol, (x, y, z) in zip(molecule.get_chemical_symbols(), molecule.get_positions())]


def _rdkit_structure(molecule, name: str, source: str) -> Structure:
    from rdkit.Chem import Descriptors, GetFormalCharge

    positions = molecule.GetConformer().GetPositions()
    atoms = [(a.GetSymbol(), *map(float, p)) for a, p in zip(molecule.GetAtoms(), positions)]
    bonds = [(b.GetBeginAtomIdx(), b.GetEndAtomIdx()) for b in molecule.GetBonds()]
    return _with_metal_spin_unknown(Structure(name, source, atoms, GetFormalCharge(molecule),
                                              Descriptors.NumRadicalElectrons(molecule) + 1, bonds))


def rdkit_structures() -> list[Structure]:
    import rdkit
    from rdkit import Chem, RDLogger
    from rdkit.Chem import AllChem

    RDLogger.DisableLog("rdApp.*")
    root = Path(rdkit.__file__).parent
    structures = []
    for relative in RDKIT_SD_FILES:
        for index, molecule in enumerate(Chem.SDMolSupplier(str(root / relative), removeHs=False)):
            if molecule is None or molecule.GetNumConformers() == 0:
                continue
            structures.append(_rdkit_structure(molecule, f"{Path(relative).stem}/{index}", "RDKit SD 3D"))
    for index, molecule in enumerate(Chem.SDMolSupplier(str(root / RDKIT_2D_SD_FILE))):
        if molecule is None:
            continue
        largest = max(Chem.GetMolFrags(molecule, asMols=True), key=lambda m: m.GetNumHeavyAtoms())
        with_hydrogens = Chem.AddHs(largest)
        if AllChem.EmbedMolecule(with_hydrogens, randomSeed=EMBEDDING_SEED) != 0:
            continue
        if AllChem.MMFFHasAllMoleculeParams(with_hydrogens):
            AllChem.MMFFOptimizeMolecule(with_hydrogens)
        else:
            AllChem.UFFOptimizeMolecule(with_hydrogens)
        structures.append(_rdkit_structure(with_hydrogens, f"nci/{index}", "RDKit NCI embedded"))
    return structures


def _cml_structure(path: Path, source: str) -> Structure | None:
    try:
        root = ElementTree.parse(path).getroot()
    except ElementTree.ParseError:
        return None  # one file of the packages is not XML
    atoms, ids, charge = [], {}, 0
    for atom in root.iter():
        if not atom.tag.endswith("}atom") and atom.tag != "atom":
            continue
        if "x3" not in atom.attrib:
            return None  # a 2D drawing
        ids[atom.attrib["id"]] = len(atoms)
        atoms.append((atom.attrib["elementType"], float(atom.attrib["x3"]), float(atom.attrib["y3"]),
                      float(atom.attrib["z3"])))
        charge += int(atom.attrib.get("formalCharge", "0"))
    bonds = []
    for bond in root.iter():
        if bond.tag.endswith("}bond") or bond.tag == "bond":
            first, second = bond.attrib["atomRefs2"].split()
            bonds.append((ids[first], ids[second]))
    if not atoms or any(symbol == "Du" for symbol, *_ in atoms):
        return None  # a dummy atom marks a template for a drawing program
    return _with_metal_spin_unknown(Structure(path.stem, source, atoms, charge, 1, bonds))


def debian_structures() -> list[Structure]:
    structures, seen = [], set()
    for directory in DEBIAN_CML_DIRECTORIES:
        for path in sorted(directory.rglob("*.cml")):
            if "htdocs" in path.parts:
                continue
            structure = _cml_structure(path, f"Debian {directory.name}")
            if structure is None:
                continue
            # Both packages ship many of the same molecules.
            key = tuple((s, round(x, 3), round(y, 3), round(z, 3)) for s, x, y, z in structure.atoms)
            if key in seen:
                continue
            seen.add(key)
            structure.name = f"{path.parent.name}/{path.stem}"
            structures.append(structure)
    return structures


def missing_sources() -> list[str]:
    missing = []
    for directory in DEBIAN_CML_DIRECTORIES:
        if not directory.is_dir():
            missing.append(str(directory))
    for module in ("ase", "rdkit"):
        try:
            __import__(module)
        except ImportError:
            missing.append(f"Python package {module}")
    return missing


def all_structures() -> list[Structure]:
    from textbook_structures import textbook_structures

    structures = []
    for loader, needs in ((ase_structures, "ase"), (rdkit_structures, "rdkit")):
        try:
            __import__(needs)
        except ImportError:
            continue
        structures.extend(loader())
    structures.extend(debian_structures())
    structures.extend(textbook_structures())
    return structures
