ps = AllChem.ETKDGv3()
ps.randomSeed = 0xf00d
AllChem.EmbedMultipleConfs(mol, 10, ps)
