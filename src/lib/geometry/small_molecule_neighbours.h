// The geometry rules' questions about a small molecule (a frame of a
// trajectory, a small file), answered without a spatial index and without
// allocating: for a few dozen atoms, building an index costs several times
// what it saves.
//
// Up to kMostAtomsInListOrder atoms, each question looks at every other
// atom in turn; above that, the atoms are sorted along x once and a question
// walks out from its atom along x, as far as the x difference allows. A
// pair is passed over only when one coordinate difference alone proves it
// farther than the limit (largest_square_within in distance.h); every pair
// that is not is measured with the reference `distance`. The answers are
// therefore those of the pairwise reference, bit for bit, and close pairs
// come in its order.
//
// Sorted, an atom with a NaN or infinite coordinate is left out: every
// distance from it is NaN or +inf (see neighbour_grid.h), so it is never a
// neighbour or an overlap and never anyone's nearest partner.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

#include "lib/cluster.h"
#include "lib/geometry/distance.h"

namespace quorv::geometry {

class SmallMoleculeNeighbours {
public:
    // Chosen by instruction counts (callgrind) of `lint` on solvated
    // clusters (bench/bench_small_clusters): at 128 atoms the walk along x
    // takes 42k per call where the column index took 91k; every pair in
    // turn takes 5.3k at 16 atoms and 7.0k at 20, the walk 5.6k and 6.6k.
    static constexpr std::size_t kMostAtoms = 128;
    static constexpr std::size_t kMostAtomsInListOrder = 16;

    // At most kMostAtoms atoms, which must outlive this object.
    explicit SmallMoleculeNeighbours(std::span<const Atom> atoms);

    // Whether some other atom lies at a distance <= radius.
    bool has_neighbour_within(std::size_t index, double radius) const {
        return count_neighbours_within(index, radius, 1) >= 1;
    }

    // How many other atoms lie at a distance <= radius, counting no further
    // than `enough`.
    std::size_t count_neighbours_within(std::size_t index, double radius, std::size_t enough) const;

    // The reference nearest distance: NaN skipped, +inf when there is none.
    double nearest_distance(std::size_t index) const {
        return nearest_distance_below(index, std::numeric_limits<double>::infinity());
    }

    // The nearest distance when it is below `bound`; otherwise `bound`.
    double nearest_distance_below(std::size_t index, double bound) const;

    // Calls report(pair) for every pair closer than `limit` (strictly), in
    // the order (0,1), (0,2), ..., (1,2), ...
    template <typename Report>
    void report_pairs_closer_than(double limit, Report&& report) const;

private:
    static constexpr std::uint8_t kNotSorted = 0xff;
    static_assert(kMostAtoms < kNotSorted, "an atom's place in the order fits in a byte");

    struct Placed {
        double x, y, z;
        std::size_t index;
    };

    // Whether the square of one of the differences, as rounded, exceeds
    // `square_bound`: then the pair is farther apart than its limit.
    static bool apart_on_some_axis(double dx, double dy, double dz, double square_bound) {
        return dx * dx > square_bound || dy * dy > square_bound || dz * dz > square_bound;
    }

    // Calls visit(other) for the atoms other than atoms_[index] that no
    // coordinate difference rules out by `square_bound`, until visit returns
    // true. visit may lower the bound as it goes.
    template <typename Visit>
    void visit_near(std::size_t index, const double& square_bound, Visit&& visit) const;

    // largest_square_within(limit), kept for the limit asked last: the rules
    // ask each question of many atoms.
    double square_bound(double limit) const;

    std::span<const Atom> atoms_;
    bool sorted_ = false;
    std::size_t sorted_count_ = 0;
    std::array<Placed, kMostAtoms> by_x_;        // the finite atoms, by x
    std::array<std::uint8_t, kMostAtoms> rank_;  // each atom's place in by_x_, or kNotSorted
    mutable double last_limit_ = std::numeric_limits<double>::quiet_NaN();
    mutable double last_square_bound_ = 0;
};

template <typename Visit>
void SmallMoleculeNeighbours::visit_near(std::size_t index, const double& square_bound, Visit&& visit) const {
    if (!sorted_) {
        // The atoms listed next to it first: a bonded partner usually is.
        const Atom& atom = atoms_[index];
        const auto near = [&](std::size_t other) {
            const Atom& a = atoms_[other];
            return !apart_on_some_axis(a.x - atom.x, a.y - atom.y, a.z - atom.z, square_bound) && visit(other);
        };
        const std::size_t count = atoms_.size();
        for (std::size_t step = 1; step <= index || index + step < count; ++step) {
            if (index + step < count && near(index + step)) return;
            if (step <= index && near(index - step)) return;
        }
        return;
    }
    const std::size_t rank = rank_[index];
    if (rank == kNotSorted) return;
    const Placed& atom = by_x_[rank];
    // Both ways out from the atom, each until the x difference rules out
    // the rest of its side: the square grows with the difference.
    const auto near = [&](const Placed& other, bool& go_on) {
        const double dx = other.x - atom.x;
        if (dx * dx > square_bound) {
            go_on = false;
            return false;
        }
        return !apart_on_some_axis(0.0, other.y - atom.y, other.z - atom.z, square_bound) && visit(other.index);
    };
    std::size_t left = rank, right = rank + 1;
    bool go_left = left > 0, go_right = right < sorted_count_;
    while (go_left || go_right) {
        if (go_right) {
            if (near(by_x_[right], go_right)) return;
            go_right = go_right && ++right < sorted_count_;
        }
        if (go_left) {
            if (near(by_x_[left - 1], go_left)) return;
            go_left = go_left && --left > 0;
        }
    }
}

template <typename Report>
void SmallMoleculeNeighbours::report_pairs_closer_than(double limit, Report&& report) const {
    const double bound = square_bound(limit);
    const auto measure = [&](std::size_t first, std::size_t second) {
        const double d = distance(atoms_[first], atoms_[second]);
        if (d < limit) report(AtomPair{first, second, d});  // false for NaN
    };
    const std::size_t count = atoms_.size();
    if (!sorted_) {
        for (std::size_t first = 0; first < count; ++first) {
            const Atom& a = atoms_[first];
            for (std::size_t second = first + 1; second < count; ++second) {
                const Atom& b = atoms_[second];
                if (!apart_on_some_axis(b.x - a.x, b.y - a.y, b.z - a.z, bound)) measure(first, second);
            }
        }
        return;
    }
    // The sweep along x finds the candidate pairs in x order; each is marked
    // under its first atom, and the marks are read back in index order.
    constexpr std::size_t kWords = (kMostAtoms + 63) / 64;
    std::array<std::array<std::uint64_t, kWords>, kMostAtoms> later;
    std::fill_n(later.begin(), count, std::array<std::uint64_t, kWords>{});
    for (std::size_t rank = 0; rank < sorted_count_; ++rank) {
        const Placed& a = by_x_[rank];
        for (std::size_t other = rank + 1; other < sorted_count_; ++other) {
            const Placed& b = by_x_[other];
            const double dx = b.x - a.x;
            if (dx * dx > bound) break;
            if (apart_on_some_axis(0.0, b.y - a.y, b.z - a.z, bound)) continue;
            const std::size_t first = std::min(a.index, b.index), second = std::max(a.index, b.index);
            later[first][second / 64] |= std::uint64_t{1} << (second % 64);
        }
    }
    for (std::size_t first = 0; first < count; ++first) {
        for (std::size_t word = 0; word < kWords; ++word) {
            for (std::uint64_t marks = later[first][word]; marks != 0; marks &= marks - 1) {
                measure(first, word * 64 + static_cast<std::size_t>(std::countr_zero(marks)));
            }
        }
    }
}

}  // namespace quorv::geometry
