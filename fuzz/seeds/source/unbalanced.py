EmbedMolecule(EmbedMolecule(]EmbedMultipleConfs({[p, q=(r,)]}, ps , "(" # ) 
