// The two distances a person looks at first when a data set goes wrong: per
// frame, the closest contact of any hydrogen (the unit-scale rule's value, long
// when coordinates are in bohr) and the closest contact between two heavy
// atoms (short when atoms are duplicated, long when a molecule is broken).
#pragma once

#include <span>

#include "lib/cluster.h"

namespace quorv::dataset {

struct ShortestContacts {
    double hydrogen;  // +inf when no hydrogen has a measurable partner
    double heavy;     // +inf when fewer than two heavy atoms have a measurable distance
};

// Measured as the rules measure (NaN distances skipped), in about linear time.
ShortestContacts shortest_contacts(std::span<const Atom> atoms);

}  // namespace quorv::dataset
