from rdkit.Chem import AllChem
mol = AllChem.AddHs(mol)
AllChem.EmbedMolecule(mol)
