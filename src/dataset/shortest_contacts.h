// The two distances a person looks at first when a data set goes wrong: per
// frame, the closest contact of any hydrogen (the unit-scale rule's value, long
// when coordinates are in bohr) and the closest contact between two heavy
// atoms (short when atoms are duplicated, long when a molecule is broken).
#pragma once

#include <limits>
#include <optional>
#include <span>

#include "lib/cluster.h"
#include "lib/geometry/periodic_cell.h"

namespace quorv::dataset {

struct ShortestContacts {
    double hydrogen;  // +inf when no hydrogen has a measurable partner
    double heavy;     // +inf when fewer than two heavy atoms have a measurable distance
};

// What a frame that was not linted shows.
inline constexpr ShortestContacts kNotMeasured{std::numeric_limits<double>::quiet_NaN(),
                                               std::numeric_limits<double>::quiet_NaN()};

// Measured as the rules measure (NaN distances skipped), in about linear
// time; with a cell, over the periodic images, an atom's own included (so a
// heavy atom alone in its cell has its images as contacts).
ShortestContacts shortest_contacts(std::span<const Atom> atoms,
                                   const std::optional<geometry::PeriodicCell>& cell = std::nullopt);

}  // namespace quorv::dataset
