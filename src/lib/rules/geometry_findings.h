// The geometry rules' thresholds and the findings they emit, shared by the
// indexed rules and their pairwise reference so that both word them alike.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "lib/cluster.h"
#include "lib/finding.h"
#include "lib/geometry/distance.h"

namespace quorv::geometry {

// A metal counts as coordinated by every atom within this distance, inclusive.
inline constexpr double kCoordinationRadius = 2.7;
// Closer than this (strictly), two atoms cannot both be real.
inline constexpr double kOverlapDistance = 0.5;
// Every real X-H bond is shorter; a closest hydrogen contact beyond this
// (strictly) means the coordinates are not in ångström.
inline constexpr double kUnitScaleThreshold = 1.5;

// The atom has nothing within its bonding cutoff; `nearest` is its nearest distance.
void add_bare_heteroatom(std::vector<Finding>& out, std::span<const Atom> atoms, std::size_t index, double cutoff,
                         double nearest);
// A metal with this many neighbours: a finding for none or one, nothing for more.
void add_metal_coordination(std::vector<Finding>& out, std::span<const Atom> atoms, std::size_t index,
                            std::size_t neighbours);
void add_overlapping_atoms(std::vector<Finding>& out, std::span<const Atom> atoms,
                           const geometry_reference::AtomPair& pair);
// Whether the closest hydrogen contact says the geometry is in bohr: beyond
// the threshold and finite (no hydrogen, or none with a measurable partner,
// says nothing about units).
bool looks_like_bohr(double closest_hydrogen_contact);
void add_unit_scale(std::vector<Finding>& out, double closest_hydrogen_contact);

}  // namespace quorv::geometry
