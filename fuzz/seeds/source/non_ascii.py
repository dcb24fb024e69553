EmbedMolecule(â€€pã=qð, randomSeedâ€¯=ã€€-1)
p.randomSeed
