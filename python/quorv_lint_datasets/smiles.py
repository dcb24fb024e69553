"""The total charge a SMILES string states: the sum of its atoms' formal charges.

Charges can only be written inside bracket atoms ("[NH4+]", "[O-]", "[Fe+2]",
"[Fe++]"), so only those are read.
"""
import re

_BRACKET_ATOM = re.compile(r"\[([^\]]*)\]")
# A charge ends a bracket atom, before an optional atom-map number ":n".
_CHARGE = re.compile(r"(\++|-+)(\d*)(?::\d+)?$")


def smiles_charge(smiles: str) -> int:
    total = 0
    for atom in _BRACKET_ATOM.findall(smiles):
        match = _CHARGE.search(atom)
        if not match:
            continue
        signs, digits = match.groups()
        size = int(digits) if digits else len(signs)
        total += size if signs[0] == "+" else -size
    return total
