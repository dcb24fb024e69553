// The geometry measurements the rules rest on, in their plain pairwise form:
// every atom compared with every other, no spatial index, no early exit.
// This is the reference a faster implementation must reproduce exactly, so
// it is kept callable on its own (a differential test compares the two).
//
// A NaN distance (from a NaN coordinate, or inf - inf) is never a bond, a
// neighbour, an overlap or a nearest distance: every comparison below is
// written so that NaN fails it.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "lib/cluster.h"

namespace quorv::geometry {

// sqrt((dx*dx + dy*dy) + dz*dz), summed in exactly that order.
double distance(const Atom& a, const Atom& b);

struct AtomPair {
    std::size_t first;   // always below `second`
    std::size_t second;
    double distance;
};

namespace pairwise {

// The smallest distance from atoms[index] to any other atom, NaN skipped;
// +inf when there is no other atom or every distance is NaN.
double nearest_distance(std::span<const Atom> atoms, std::size_t index);

// How many other atoms lie at a distance <= radius from atoms[index].
std::size_t count_neighbours_within(std::span<const Atom> atoms, std::size_t index, double radius);

// Every pair closer than `limit` (strictly), in the order
// (0,1), (0,2), ..., (0,n-1), (1,2), ...
std::vector<AtomPair> pairs_closer_than(std::span<const Atom> atoms, double limit);

}  // namespace pairwise

}  // namespace quorv::geometry
