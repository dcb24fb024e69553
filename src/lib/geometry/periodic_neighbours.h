// The geometry rules' questions about a periodic frame, answered over all
// periodic images of its atoms along the periodic axes: an atom's distance
// to another is the shortest over the other's images, and its own images
// are atoms like any other (so an atom of bulk copper in a one-atom cell has
// its twelve images as neighbours). Every atom is measured from its position
// moved into the cell (moved_into_cell).
//
// The answers come from the spatial index over the moved atoms and their
// images within the coordination radius, the largest radius the rules ask
// about. A nearest distance beyond it (a lone atom in a large box) is
// answered from a second list with a margin as wide as the shortest lattice
// vector, since an atom's own image lies no farther away; that list is made
// only when such a question is asked.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/neighbour_grid.h"
#include "lib/geometry/periodic_cell.h"
#include "lib/geometry/periodic_images.h"

namespace quorv::geometry {

class PeriodicNeighbours {
public:
    // The atoms and the cell must outlive this.
    PeriodicNeighbours(std::span<const Atom> atoms, const PeriodicCell& cell);

    // Radii up to the coordination radius.
    bool has_neighbour_within(std::size_t index, double radius);
    std::size_t count_neighbours_within(std::size_t index, double radius, std::size_t enough);

    // Any distance: NaN skipped, +inf when the atom is not in the cell.
    double nearest_distance(std::size_t index);
    double nearest_distance_below(std::size_t index, double bound);

    // Every pair of different atoms whose shortest image distance is below
    // `limit` (at most the coordination radius), once each, first < second,
    // in the order (0,1), (0,2), ..., (1,2), ... An atom is never paired with
    // its own image: a cell is never thinner than the overlap distance.
    std::vector<AtomPair> pairs_closer_than(double limit) const;

private:
    const NeighbourGrid& near_grid();
    const NeighbourGrid& far_grid();

    std::span<const Atom> atoms_;
    const PeriodicCell& cell_;
    PeriodicImages near_;
    std::optional<NeighbourGrid> near_grid_;
    std::optional<PeriodicImages> far_;
    std::optional<NeighbourGrid> far_grid_;
};

}  // namespace quorv::geometry
