// The geometry rules' questions about a molecule (no periodic images): the
// atoms listed next to an atom first, the spatial index built only when a
// question stays open. The periodic frame's counterpart, with the same
// questions, is PeriodicNeighbours.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "lib/cluster.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/listed_neighbours.h"
#include "lib/geometry/neighbour_grid.h"

namespace quorv::geometry {

class MoleculeNeighbours {
public:
    explicit MoleculeNeighbours(std::span<const Atom> atoms) : atoms_(atoms), grid_(atoms) {}

    bool has_neighbour_within(std::size_t index, double radius) {
        return has_listed_neighbour_within(atoms_, index, radius) || grid_->has_neighbour_within(index, radius);
    }

    std::size_t count_neighbours_within(std::size_t index, double radius, std::size_t enough) {
        const std::size_t listed = count_listed_neighbours_within(atoms_, index, radius, enough);
        return listed >= enough ? listed : grid_->count_neighbours_within(index, radius, enough);
    }

    double nearest_distance(std::size_t index) { return grid_->nearest_distance(index); }
    double nearest_distance_below(std::size_t index, double bound) {
        return grid_->nearest_distance_below(index, bound);
    }

    // Calls report(pair) for every pair closer than `limit`, in the order
    // (0,1), (0,2), ..., (1,2), ..., as they are found.
    void report_pairs_closer_than(double limit, const std::function<void(const AtomPair&)>& report) const {
        if (atoms_.size() < 2) return;
        // A small molecule (a frame of a trajectory, say) is measured pair by
        // pair: building an index costs more than its few distances.
        constexpr std::size_t kMostAtomsMeasuredPairwise = 16;
        if (atoms_.size() <= kMostAtomsMeasuredPairwise) {
            return pairwise::report_pairs_closer_than(atoms_, limit, report);
        }
        // For the one question asked of every atom, narrower columns hold
        // fewer candidates (measured fastest on a 10^5-atom water box).
        constexpr double kPairColumnWidth = 1.0;
        NeighbourGrid(atoms_, kPairColumnWidth).report_pairs_closer_than(limit, report);
    }

private:
    std::span<const Atom> atoms_;
    LazyGrid grid_;
};

}  // namespace quorv::geometry
