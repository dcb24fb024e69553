"""Embed conformers for a small library: one call is seeded, two are not."""
from rdkit import Chem
from rdkit.Chem import AllChem

smiles = ["CCO", "c1ccccc1O", "CC(=O)N"]
mols = [Chem.AddHs(Chem.MolFromSmiles(s)) for s in smiles]

# Reproducible: a fixed seed.
AllChem.EmbedMolecule(mols[0], randomSeed=42)

# Not reproducible: no seed at all.
AllChem.EmbedMolecule(mols[1])

# Explicitly random.
AllChem.EmbedMultipleConfs(mols[2], numConfs=10, randomSeed=-1)

# Seeded through a parameter object.
params = AllChem.ETKDGv3()
params.randomSeed = 0xF00D
AllChem.EmbedMultipleConfs(mols[0], 5, params)
