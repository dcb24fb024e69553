AllChem.EmbedMolecule(mol, randomSeed=-0001.5)
EmbedMultipleConfs(mol,
  numConfs=3, randomSeed = 42)
