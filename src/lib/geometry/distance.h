// The geometry measurements the rules rest on, in their plain pairwise form:
// every atom compared with every other, no spatial index, no early exit.
// This is the reference a faster implementation must reproduce exactly, so
// it is kept callable on its own (a differential test compares the two).
//
// A NaN distance (from a NaN coordinate, or inf - inf) is never a bond, a
// neighbour, an overlap or a nearest distance: every comparison below is
// written so that NaN fails it.
#pragma once

#include <cmath>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "lib/cluster.h"

namespace quorv::geometry {

// sqrt((dx*dx + dy*dy) + dz*dz), summed in exactly that order. Every step
// rounds monotonically, so a larger |dx|, |dy| or |dz| never gives a smaller
// length: the length of lower bounds on the differences is a lower bound on
// the distance, which is how the spatial indexes rule out whole regions.
// Inline: the indexes measure in their innermost loops.
inline double length(double dx, double dy, double dz) {
    // One operation per statement keeps compilers that contract within an
    // expression (clang) from fusing a product and a sum into one rounding.
    const double xx = dx * dx;
    const double yy = dy * dy;
    const double zz = dz * dz;
    const double xy = xx + yy;
    return std::sqrt(xy + zz);
}

inline double distance(const Atom& a, const Atom& b) { return length(a.x - b.x, a.y - b.y, a.z - b.z); }

// The largest double whose root, rounded as `length` rounds it, is at most
// `limit` (+inf for +inf; below zero for a limit below zero or NaN). It lets
// one coordinate difference rule a pair out exactly, without measuring it:
//
//   The sum under the root in `length` is at least each of the squares dx*dx,
//   dy*dy, dz*dz as rounded: adding a non-negative double and rounding to
//   nearest never gives less than the double itself (rounding is monotone and
//   leaves a double unchanged). The rounded root is monotone too. So when one
//   rounded square s exceeds this bound, length >= sqrt(s) > limit: the pair
//   is farther than `limit` and fails every comparison of a distance with
//   it (d <= limit, d < limit), and every comparison with a nearest distance
//   found so far that is `limit`. The difference may be taken either way
//   round: rounding to nearest is symmetric, so its square is the same. A NaN
//   square never exceeds the bound, so a pair with a NaN difference is
//   always measured.
//
// This holds whatever the magnitudes: squares that overflow to +inf or fall
// to subnormals or zero are compared as they are rounded, where a test of
// |dx| against limit * (1 + epsilon) would need a margin for each case.
double largest_square_within(double limit);

// An atom with a NaN or infinite coordinate has no finite distance to
// anything, so no spatial index holds it.
inline bool is_finite(const Atom& atom) {
    return std::isfinite(atom.x) && std::isfinite(atom.y) && std::isfinite(atom.z);
}

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
// (0,1), (0,2), ..., (0,n-1), (1,2), ...: handed to `report` as found, or
// collected.
void report_pairs_closer_than(std::span<const Atom> atoms, double limit,
                              const std::function<void(const AtomPair&)>& report);
std::vector<AtomPair> pairs_closer_than(std::span<const Atom> atoms, double limit);

}  // namespace pairwise

}  // namespace quorv::geometry
