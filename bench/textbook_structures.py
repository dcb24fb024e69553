"""Structures built from textbook bond lengths, for the chemistry no installed package ships.

Each is an idealised geometry (regular polyhedra, ideal angles) with experimental or
well-established bond lengths (gas-phase electron diffraction, microwave spectra, or typical
crystal values, as tabulated in the CRC Handbook and in Greenwood and Earnshaw), and with the
charge and multiplicity of its ground state. They stand for the patterns that the strict rules
are known to misjudge (halogenated carbon, element rings and cages, mu-oxo bridges, metal
clusters, long hydride bonds) and for ordinary metal complexes, which neither ASE nor RDKit
nor Debian ships in 3D.
"""

from __future__ import annotations

import math

from preview_structures import Structure

Vector = tuple[float, float, float]

TETRAHEDRAL = [(1, 1, 1), (1, -1, -1), (-1, 1, -1), (-1, -1, 1)]
OCTAHEDRAL = [(1, 0, 0), (-1, 0, 0), (0, 1, 0), (0, -1, 0), (0, 0, 1), (0, 0, -1)]
SQUARE_PLANAR = OCTAHEDRAL[:4]
LINEAR = [(0, 0, 1), (0, 0, -1)]
C_H = 1.09
N_H = 1.01
O_H = 0.96


def unit(v: Vector) -> Vector:
    norm = math.sqrt(sum(c * c for c in v))
    return (v[0] / norm, v[1] / norm, v[2] / norm)


def along(origin: Vector, direction: Vector, length: float) -> Vector:
    d = unit(direction)
    return (origin[0] + length * d[0], origin[1] + length * d[1], origin[2] + length * d[2])


def perpendicular(v: Vector) -> tuple[Vector, Vector]:
    """Two unit vectors perpendicular to v and to each other."""
    helper = (1.0, 0.0, 0.0) if abs(unit(v)[0]) < 0.9 else (0.0, 1.0, 0.0)
    a = unit(cross(v, helper))
    return a, unit(cross(v, a))


def cross(a: Vector, b: Vector) -> Vector:
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def cone(axis: Vector, half_angle_degrees: float, count: int, twist: float = 0.0) -> list[Vector]:
    """`count` unit vectors at the given angle from the axis, evenly spread around it."""
    a, b = perpendicular(axis)
    u = unit(axis)
    half = math.radians(half_angle_degrees)
    directions = []
    for k in range(count):
        phi = twist + 2 * math.pi * k / count
        directions.append(tuple(math.cos(half) * u[i] + math.sin(half) * (math.cos(phi) * a[i] + math.sin(phi) * b[i])
                                for i in range(3)))
    return directions


class Builder:
    def __init__(self):
        self.atoms: list[tuple[str, float, float, float]] = []
        self.bonds: list[tuple[int, int]] = []

    def add(self, symbol: str, position: Vector, bonded_to: int | None = None) -> int:
        self.atoms.append((symbol, *position))
        index = len(self.atoms) - 1
        if bonded_to is not None:
            self.bonds.append((bonded_to, index))
        return index

    def position(self, index: int) -> Vector:
        return self.atoms[index][1:]

    def ligand(self, centre: int, symbol: str, direction: Vector, length: float) -> int:
        return self.add(symbol, along(self.position(centre), direction, length), centre)

    def hydrogens(self, atom: int, away_from: Vector, count: int, length: float, angle: float = 109.5) -> None:
        """Hydrogens on `atom`, in a cone pointing along `away_from`."""
        for direction in cone(away_from, 180 - angle if count > 1 else 0, count):
            self.ligand(atom, "H", direction, length)

    def methyl(self, atom: int, direction: Vector, length: float) -> None:
        carbon = self.ligand(atom, "C", direction, length)
        self.hydrogens(carbon, direction, 3, C_H, 109.5)

    def ammine(self, metal: int, direction: Vector, length: float) -> None:
        nitrogen = self.ligand(metal, "N", direction, length)
        self.hydrogens(nitrogen, direction, 3, N_H, 109.5)

    def aqua(self, metal: int, direction: Vector, length: float) -> None:
        oxygen = self.ligand(metal, "O", direction, length)
        half = math.radians(104.5 / 2)
        a, _ = perpendicular(direction)
        u = unit(direction)
        for sign in (1, -1):
            self.ligand(oxygen, "H", tuple(math.cos(half) * u[i] + sign * math.sin(half) * a[i] for i in range(3)), O_H)

    def carbonyl(self, metal: int, direction: Vector, metal_carbon: float, carbon_oxygen: float = 1.14) -> None:
        carbon = self.ligand(metal, "C", direction, metal_carbon)
        self.ligand(carbon, "O", direction, carbon_oxygen)

    def structure(self, name: str, charge: int, multiplicity: int, **fields) -> Structure:
        return Structure(f"textbook/{name}", "textbook", self.atoms, charge, multiplicity, self.bonds, **fields)


def centred(symbol: str, ligand: str, directions, length: float) -> Builder:
    built = Builder()
    centre = built.add(symbol, (0.0, 0.0, 0.0))
    for direction in directions:
        built.ligand(centre, ligand, direction, length)
    return built


def bent(symbol: str, ligand: str, length: float, angle: float) -> Builder:
    half = math.radians(angle / 2)
    return centred(symbol, ligand, [(math.sin(half), 0, math.cos(half)), (-math.sin(half), 0, math.cos(half))], length)


def pyramidal(symbol: str, ligand: str, length: float, angle: float) -> Builder:
    # The angle between two ligands of three on a cone fixes the cone's half angle.
    half = math.asin(math.sin(math.radians(angle) / 2) / math.sin(math.radians(60)))
    return centred(symbol, ligand, cone((0, 0, -1), math.degrees(half), 3), length)


def diatomic(first: str, second: str, length: float) -> Builder:
    built = Builder()
    built.add(second, (0.0, 0.0, length), built.add(first, (0.0, 0.0, 0.0)))
    return built


def ring_crown(symbol: str, count: int, length: float, angle: float) -> Builder:
    """A puckered ring (S8): atoms alternately above and below a circle."""
    step = 2 * math.pi / count
    # Atoms k and k + 2 lie at one height: the bond angle fixes the circle's radius.
    radius = length * math.sqrt((1 - math.cos(math.radians(angle))) / (1 - math.cos(2 * step)))
    rise = math.sqrt(max(0.0, length ** 2 - 2 * radius ** 2 * (1 - math.cos(step)))) / 2
    built = Builder()
    for k in range(count):
        built.add(symbol, (radius * math.cos(k * step), radius * math.sin(k * step), rise if k % 2 else -rise),
                  k - 1 if k else None)
    built.bonds.append((count - 1, 0))
    return built


def tetrahedron(symbol: str, edge: float) -> Builder:
    built = Builder()
    scale = edge / (2 * math.sqrt(2))
    for corner in TETRAHEDRAL:
        built.add(symbol, tuple(scale * c for c in corner))
    built.bonds.extend((i, j) for i in range(4) for j in range(i + 1, 4))
    return built


def icosahedral_cluster(symbol: str, centre_to_vertex: float) -> Builder:
    golden = (1 + math.sqrt(5)) / 2
    vertices = [(0, s1, s2 * golden) for s1 in (1, -1) for s2 in (1, -1)]
    vertices = [v for base in vertices for v in (base, (base[1], base[2], base[0]), (base[2], base[0], base[1]))]
    built = Builder()
    centre = built.add(symbol, (0.0, 0.0, 0.0))
    for vertex in vertices:
        built.ligand(centre, symbol, vertex, centre_to_vertex)
    edge = centre_to_vertex / math.sin(2 * math.pi / 5)
    for i in range(1, 13):
        for j in range(i + 1, 13):
            if math.dist(built.position(i), built.position(j)) < 1.01 * edge:
                built.bonds.append((i, j))
    return built


def ferrocene() -> Builder:
    built = Builder()
    iron = built.add("Fe", (0.0, 0.0, 0.0))
    ring_radius = 1.44 / (2 * math.sin(math.pi / 5))
    height = math.sqrt(2.064 ** 2 - ring_radius ** 2)
    for side in (1, -1):
        first = len(built.atoms)
        carbons = []
        for k in range(5):
            phi = 2 * math.pi * k / 5
            carbons.append(built.add("C", (ring_radius * math.cos(phi), ring_radius * math.sin(phi), side * height),
                                     iron))
        for k, carbon in enumerate(carbons):
            built.bonds.append((carbon, carbons[(k + 1) % 5]))
            x, y, z = built.position(carbon)
            built.ligand(carbon, "H", (x, y, 0.0), 1.08)
        assert carbons[0] == first
    return built


def mu_oxo_diiron() -> Builder:
    """[Cl3Fe-O-FeCl3]2-, linear bridge."""
    built = Builder()
    oxygen = built.add("O", (0.0, 0.0, 0.0))
    for side in (1, -1):
        iron = built.ligand(oxygen, "Fe", (0, 0, side), 1.76)
        for direction in cone((0, 0, side), 70.0, 3):
            built.ligand(iron, "Cl", direction, 2.22)
    return built


def iron_sulfur_cubane() -> Builder:
    """[Fe4S4(SCH3)4]2-: Fe-Fe 2.75, S-S 3.60, thiolate Fe-S 2.25, S-C 1.82."""
    built = Builder()
    fe_scale = 2.75 / (2 * math.sqrt(2))
    s_scale = 3.60 / (2 * math.sqrt(2))
    irons = [built.add("Fe", tuple(fe_scale * c for c in corner)) for corner in TETRAHEDRAL]
    sulfides = [built.add("S", tuple(-s_scale * c for c in corner)) for corner in TETRAHEDRAL]
    for i, iron in enumerate(irons):
        for j, sulfide in enumerate(sulfides):
            if i != j:
                built.bonds.append((iron, sulfide))
        thiolate = built.ligand(iron, "S", TETRAHEDRAL[i], 2.25)
        a, _ = perpendicular(TETRAHEDRAL[i])
        built.methyl(thiolate, tuple(0.26 * t + 0.97 * p for t, p in zip(unit(TETRAHEDRAL[i]), a)), 1.82)
    return built


def trimethylphosphine_sulfide() -> Builder:
    built = Builder()
    phosphorus = built.add("P", (0.0, 0.0, 0.0))
    built.ligand(phosphorus, "S", (0, 0, 1), 1.959)
    for direction in cone((0, 0, -1), 70.5, 3):
        built.methyl(phosphorus, direction, 1.80)
    return built


def cisplatin() -> Builder:
    built = Builder()
    platinum = built.add("Pt", (0.0, 0.0, 0.0))
    for direction in SQUARE_PLANAR[:2]:
        built.ligand(platinum, "Cl", direction, 2.33)
    for direction in SQUARE_PLANAR[2:]:
        built.ammine(platinum, direction, 2.05)
    return built


def homoleptic(symbol: str, make, directions, length: float) -> Builder:
    built = Builder()
    centre = built.add(symbol, (0.0, 0.0, 0.0))
    for direction in directions:
        make(built, centre, direction, length)
    return built


def mercury_i_chloride() -> Builder:
    built = Builder()
    first = built.add("Hg", (0.0, 0.0, 0.0))
    second = built.ligand(first, "Hg", (0, 0, 1), 2.53)
    built.ligand(first, "Cl", (0, 0, -1), 2.43)
    built.ligand(second, "Cl", (0, 0, 1), 2.43)
    return built


def uranyl_chloride() -> Builder:
    built = centred("U", "O", LINEAR, 1.77)
    for direction in SQUARE_PLANAR:
        built.ligand(0, "Cl", direction, 2.67)
    return built


def trigonal_bipyramid(symbol: str, ligand: str, axial: float, equatorial: float) -> Builder:
    built = centred(symbol, ligand, LINEAR, axial)
    for direction in cone((0, 0, 1), 90.0, 3):
        built.ligand(0, ligand, direction, equatorial)
    return built


def textbook_structures() -> list[Structure]:
    tetrahedral = TETRAHEDRAL
    return [
        # Halogenated carbon and element-element bonds beyond a fixed cutoff.
        centred("C", "Cl", tetrahedral, 1.766).structure("CCl4", 0, 1),
        centred("C", "Br", tetrahedral, 1.935).structure("CBr4", 0, 1),
        ring_crown("S", 8, 2.05, 108.0).structure("S8", 0, 1),
        tetrahedron("P", 2.21).structure("P4", 0, 1),
        pyramidal("P", "Cl", 2.04, 100.3).structure("PCl3", 0, 1),
        trigonal_bipyramid("P", "Cl", 2.14, 2.02).structure("PCl5", 0, 1),
        bent("S", "Cl", 2.01, 103.0).structure("SCl2", 0, 1),
        trimethylphosphine_sulfide().structure("Me3PS", 0, 1),
        homoleptic("Si", Builder.methyl, tetrahedral, 1.875).structure("SiMe4", 0, 1),
        # Hydrides with long bonds to their only partner.
        diatomic("Li", "H", 1.595).structure("LiH", 0, 1),
        diatomic("Na", "H", 1.887).structure("NaH", 0, 1),
        diatomic("K", "H", 2.240).structure("KH", 0, 1),
        diatomic("Cs", "H", 2.494).structure("CsH", 0, 1),
        diatomic("H", "I", 1.609).structure("HI", 0, 1),
        diatomic("Tl", "H", 1.870).structure("TlH", 0, 1),
        bent("Si", "H", 1.516, 92.1).structure("SiH2 singlet", 0, 1),
        centred("Mg", "H", LINEAR, 1.70).structure("MgH2", 0, 1),
        centred("Sn", "H", tetrahedral, 1.711).structure("SnH4", 0, 1),
        bent("Te", "H", 1.658, 90.3).structure("H2Te", 0, 1),
        pyramidal("Sb", "H", 1.707, 91.6).structure("SbH3", 0, 1),
        # Bridges, cages and clusters.
        mu_oxo_diiron().structure("[Cl3FeOFeCl3]2-", -2, 11),
        icosahedral_cluster("Au", 2.78).structure("Au13", 0, 2, ecp_elements=["Au"]),
        iron_sulfur_cubane().structure("[Fe4S4(SMe)4]2-", -2, 1),
        mercury_i_chloride().structure("Hg2Cl2", 0, 1),
        # Metal complexes.
        ferrocene().structure("ferrocene", 0, 1, oxidation_state=2),
        cisplatin().structure("cisplatin", 0, 1, ecp_elements=["Pt"]),
        homoleptic("Fe", Builder.aqua, OCTAHEDRAL, 2.12).structure("[Fe(H2O)6]2+", 2, 5, oxidation_state=2),
        homoleptic("Zn", Builder.aqua, OCTAHEDRAL, 2.10).structure("[Zn(H2O)6]2+", 2, 1, oxidation_state=2),
        homoleptic("Cu", Builder.ammine, SQUARE_PLANAR, 2.03).structure("[Cu(NH3)4]2+", 2, 2, oxidation_state=2),
        homoleptic("Ag", Builder.ammine, LINEAR, 2.12).structure("[Ag(NH3)2]+", 1, 1, oxidation_state=1,
                                                                  ecp_elements=["Ag"]),
        homoleptic("Mo", Builder.carbonyl, OCTAHEDRAL, 2.06).structure("Mo(CO)6", 0, 1, ecp_elements=["Mo"]),
        homoleptic("Cr", Builder.carbonyl, OCTAHEDRAL, 1.92).structure("Cr(CO)6", 0, 1),
        homoleptic("Ni", Builder.carbonyl, tetrahedral, 1.84).structure("Ni(CO)4", 0, 1),
        centred("Au", "Cl", SQUARE_PLANAR, 2.28).structure("[AuCl4]-", -1, 1, ecp_elements=["Au"]),
        centred("Pt", "Cl", OCTAHEDRAL, 2.32).structure("[PtCl6]2-", -2, 1),
        centred("Ir", "Cl", OCTAHEDRAL, 2.35).structure("[IrCl6]3-", -3, 1),
        centred("Pb", "I", OCTAHEDRAL, 3.17).structure("[PbI6]4-", -4, 1, ecp_elements=["Pb", "I"]),
        centred("Cd", "Cl", tetrahedral, 2.46).structure("[CdCl4]2-", -2, 1),
        centred("Hg", "Cl", LINEAR, 2.29).structure("HgCl2", 0, 1),
        centred("W", "S", tetrahedral, 2.18).structure("[WS4]2-", -2, 1),
        centred("Mn", "O", tetrahedral, 1.63).structure("[MnO4]-", -1, 1),
        centred("Os", "O", tetrahedral, 1.71).structure("OsO4", 0, 1),
        centred("Ti", "Cl", tetrahedral, 2.17).structure("TiCl4", 0, 1),
        centred("Sn", "Cl", tetrahedral, 2.28).structure("SnCl4", 0, 1),
        pyramidal("Bi", "Cl", 2.42, 97.5).structure("BiCl3", 0, 1),
        uranyl_chloride().structure("[UO2Cl4]2-", -2, 1),
        centred("Xe", "F", SQUARE_PLANAR, 1.95).structure("XeF4", 0, 1),
    ]
