"""Building cluster-spec JSON for the rule tests, and reading findings back."""
import json
import math

import quorv_lint

ANGSTROM_PER_BOHR = 0.529177


def spec_json(atoms, **fields):
    """A cluster-spec document: atoms as (element, x, y, z), other keys as given."""
    document = {"atoms": [{"element": e, "x": x, "y": y, "z": z} for e, x, y, z in atoms]}
    document.update(fields)
    return json.dumps(document, ensure_ascii=False)


def lint(atoms, **fields):
    """The findings for these atoms as (severity, code, message) triples, in order."""
    return [(f.severity, f.code, f.message) for f in quorv_lint.lint_json(spec_json(atoms, **fields))]


def codes(atoms, **fields):
    return [code for _, code, _ in lint(atoms, **fields)]


def tetrahedral(centre, ligand, distance):
    """A centre atom at the origin with four ligands at the corners of a tetrahedron."""
    a = distance / math.sqrt(3.0)
    corners = [(a, a, a), (a, -a, -a), (-a, a, -a), (-a, -a, a)]
    return [(centre, 0.0, 0.0, 0.0)] + [(ligand, x, y, z) for x, y, z in corners]


# Water at its experimental geometry (O-H 0.958 Å, H-O-H 104.5°).
WATER = [("O", 0.0, 0.0, 0.1173), ("H", 0.0, 0.7572, -0.4692), ("H", 0.0, -0.7572, -0.4692)]
# The same molecule with its coordinates in bohr (O-H 1.810 bohr).
WATER_IN_BOHR = [("O", 0.0, 0.0, 0.2217), ("H", 0.0, 1.4309, -0.8867), ("H", 0.0, -1.4309, -0.8867)]
# Methane, C-H 1.09 Å.
METHANE = tetrahedral("C", "H", 1.09)


def benzene():
    """Benzene in the xy plane: C-C 1.39 Å, C-H 1.09 Å; carbons first, then hydrogens."""
    angles = [math.radians(60 * k) for k in range(6)]
    carbons = [("C", 1.39 * math.cos(t), 1.39 * math.sin(t), 0.0) for t in angles]
    hydrogens = [("H", 2.48 * math.cos(t), 2.48 * math.sin(t), 0.0) for t in angles]
    return carbons + hydrogens


def ammine(nitrogen_z, direction):
    """An NH3 ligand bound along z through its nitrogen, N-H 1.01 Å, M-N-H 110°."""
    rise = 1.01 * math.cos(math.radians(70)) * direction
    radius = 1.01 * math.sin(math.radians(70))
    atoms = [("N", 0.0, 0.0, nitrogen_z)]
    for k in range(3):
        t = math.radians(120 * k)
        atoms.append(("H", radius * math.cos(t), radius * math.sin(t), nitrogen_z + rise))
    return atoms


def diammine(metal, metal_nitrogen=1.95):
    """A linear [M(NH3)2] complex: metal first, then the two ammines."""
    return [(metal, 0.0, 0.0, 0.0)] + ammine(metal_nitrogen, 1) + ammine(-metal_nitrogen, -1)
