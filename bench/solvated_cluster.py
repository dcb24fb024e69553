"""A solvated cluster for the benchmarks: a hexaammine iron(II) complex in a
box of water, written as cluster-spec JSON or as XYZ text.

Water molecules sit on a jittered cubic lattice at the density of liquid
water (one per 29.9 Å^3), each randomly oriented, with the experimental O-H
length and H-O-H angle; the lattice sites that the complex occupies are left
empty. The result is a realistic input: the linter finds nothing wrong in it.
"""

import json
import math
import random
import sys

WATER_VOLUME = 29.9  # Å^3 per molecule in liquid water at room temperature
OH_LENGTH = 0.9572
HOH_ANGLE = math.radians(104.52)
LATTICE_JITTER = 0.25
FE_N_LENGTH = 2.2
NH_LENGTH = 1.012
COMPLEX_CLEARANCE = 4.6  # no water oxygen closer than this to the iron
CHARGE = 2  # [Fe(NH3)6]2+
MULTIPLICITY = 5  # high-spin d6
OXIDATION_STATE = 2


def _unit_vector(rng):
    while True:
        v = [rng.gauss(0, 1) for _ in range(3)]
        norm = math.sqrt(sum(c * c for c in v))
        if norm > 1e-9:
            return [c / norm for c in v]


def _cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def _water(rng, centre):
    """An O and two H atoms, randomly oriented about the oxygen."""
    bisector = _unit_vector(rng)
    other = _unit_vector(rng)
    normal = _cross(bisector, other)
    norm = math.sqrt(sum(c * c for c in normal))
    normal = [c / norm for c in normal]
    half = HOH_ANGLE / 2
    atoms = [("O", centre)]
    for sign in (1, -1):
        direction = [math.cos(half) * b + sign * math.sin(half) * n for b, n in zip(bisector, normal)]
        atoms.append(("H", [c + OH_LENGTH * d for c, d in zip(centre, direction)]))
    return atoms


def _complex(centre):
    """Fe with six NH3 ligands on the octahedron's axes."""
    atoms = [("Fe", list(centre))]
    for axis in range(3):
        for sign in (1, -1):
            direction = [0.0, 0.0, 0.0]
            direction[axis] = float(sign)
            nitrogen = [c + FE_N_LENGTH * d for c, d in zip(centre, direction)]
            atoms.append(("N", nitrogen))
            # Three hydrogens in a cone pointing away from the iron.
            helper = [1.0, 0.0, 0.0] if axis != 0 else [0.0, 1.0, 0.0]
            u = _cross(direction, helper)
            v = _cross(direction, u)
            for k in range(3):
                angle = 2 * math.pi * k / 3
                h_dir = [0.33 * d + 0.943 * (math.cos(angle) * a + math.sin(angle) * b)
                         for d, a, b in zip(direction, u, v)]
                atoms.append(("H", [n + NH_LENGTH * h for n, h in zip(nitrogen, h_dir)]))
    return atoms


def solvated_atoms(atom_count, seed=1):
    """About `atom_count` atoms (exactly, after trimming whole waters from the end
    and topping up with nothing): the complex first, then the water."""
    rng = random.Random(seed)
    complex_atoms = 25
    waters = max(0, (atom_count - complex_atoms) // 3)
    side_sites = max(2, math.ceil((waters + 30) ** (1 / 3)))
    spacing = WATER_VOLUME ** (1 / 3)
    box = side_sites * spacing
    centre = [box / 2] * 3
    atoms = _complex(centre)
    sites = []
    for i in range(side_sites):
        for j in range(side_sites):
            for k in range(side_sites):
                site = [(i + 0.5) * spacing, (j + 0.5) * spacing, (k + 0.5) * spacing]
                if math.dist(site, centre) >= COMPLEX_CLEARANCE:
                    sites.append(site)
    rng.shuffle(sites)
    for site in sites[:waters]:
        jittered = [c + rng.uniform(-LATTICE_JITTER, LATTICE_JITTER) for c in site]
        atoms.extend(_water(rng, jittered))
    return atoms[:atom_count] if len(atoms) > atom_count else atoms


def spec_json(atoms):
    spec = {
        "atoms": [{"element": e, "x": round(x, 6), "y": round(y, 6), "z": round(z, 6)} for e, (x, y, z) in atoms],
        "charge": CHARGE,
        "spin_multiplicity": MULTIPLICITY,
        "metal_oxidation_state": OXIDATION_STATE,
    }
    return json.dumps(spec)


def xyz_text(atoms):
    lines = [str(len(atoms)), f"charge={CHARGE} mult={MULTIPLICITY} solvated Fe(NH3)6 2+"]
    lines.extend(f"{e:<2} {x:12.6f} {y:12.6f} {z:12.6f}" for e, (x, y, z) in atoms)
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    # python bench/solvated_cluster.py OUT.json [ATOMS]: the cluster as JSON, for the C++ benchmarks.
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write(spec_json(solvated_atoms(int(sys.argv[2]) if len(sys.argv) > 2 else 100_000)))
