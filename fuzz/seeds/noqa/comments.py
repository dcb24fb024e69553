AllChem.EmbedMolecule(mol)  # noqa: conformer-no-seed
x = 1 # NOQA
#noqa:E501, conformer-explicit-random
# noqaxyz
#  noqa:
