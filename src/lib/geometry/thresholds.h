// The distances (ångström) the geometry rules judge by. The bonding cutoffs
// of C, N, O, P and S are per element, in the element tables.
#pragma once

namespace quorv::geometry {

// A metal counts as coordinated by every atom within this distance, inclusive.
inline constexpr double kCoordinationRadius = 2.7;
// Closer than this (strictly), two atoms cannot both be real.
inline constexpr double kOverlapDistance = 0.5;
// Every real X-H bond is shorter; a closest hydrogen contact beyond this
// (strictly) means the coordinates are not in ångström.
inline constexpr double kUnitScaleThreshold = 1.5;
// What a length in bohr is in ångström, for the unit scale message.
inline constexpr double kBohrToAngstrom = 0.529177;

}  // namespace quorv::geometry
