// The geometry rules' questions about a molecule (no periodic images): the
// atoms listed next to an atom first; a question they leave open goes to
// the small-molecule search or, for a larger molecule, to the spatial index,
// built only then. The periodic frame's counterpart, with the same
// questions, is PeriodicNeighbours.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "lib/cluster.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/listed_neighbours.h"
#include "lib/geometry/neighbour_grid.h"
#include "lib/geometry/small_molecule_neighbours.h"

namespace quorv::geometry {

class MoleculeNeighbours {
public:
    explicit MoleculeNeighbours(std::span<const Atom> atoms) : atoms_(atoms), grid_(atoms) {
        if (atoms.size() <= SmallMoleculeNeighbours::kMostAtoms) small_.emplace(atoms);
    }

    bool has_neighbour_within(std::size_t index, double radius) {
        if (has_listed_neighbour_within(atoms_, index, radius)) return true;
        return small_ ? small_->has_neighbour_within(index, radius) : grid_->has_neighbour_within(index, radius);
    }

    std::size_t count_neighbours_within(std::size_t index, double radius, std::size_t enough) {
        const std::size_t listed = count_listed_neighbours_within(atoms_, index, radius, enough);
        if (listed >= enough) return listed;
        return small_ ? small_->count_neighbours_within(index, radius, enough)
                      : grid_->count_neighbours_within(index, radius, enough);
    }

    double nearest_distance(std::size_t index) {
        return small_ ? small_->nearest_distance(index) : grid_->nearest_distance(index);
    }
    double nearest_distance_below(std::size_t index, double bound) {
        return small_ ? small_->nearest_distance_below(index, bound) : grid_->nearest_distance_below(index, bound);
    }

    // Calls report(pair) for every pair closer than `limit`, in the order
    // (0,1), (0,2), ..., (1,2), ..., as they are found.
    template <typename Report>
    void report_pairs_closer_than(double limit, Report&& report) const {
        if (small_) return small_->report_pairs_closer_than(limit, report);
        // For the one question asked of every atom, narrower columns hold
        // fewer candidates (measured fastest on a 10^5-atom water box).
        constexpr double kPairColumnWidth = 1.0;
        NeighbourGrid(atoms_, kPairColumnWidth).report_pairs_closer_than(limit, report);
    }

private:
    std::span<const Atom> atoms_;
    std::optional<SmallMoleculeNeighbours> small_;
    LazyGrid grid_;  // for a molecule too large for small_
};

}  // namespace quorv::geometry
