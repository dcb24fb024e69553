// The geometry rules' questions about a periodic frame, answered over all
// periodic images of its atoms along the periodic axes: an atom's distance
// to another is the shortest over the other's images, and its own images
// are atoms like any other (so an atom of bulk copper in a one-atom cell has
// its twelve images as neighbours). Every atom is measured from its position
// moved into the cell (moved_into_cell).
//
// The answers come from the spatial index over the moved atoms and their
// images within the coordination radius, the largest radius the rules ask
// about. A nearest distance beyond what that list covers around the atom (a
// lone atom near a face of a large box) is answered from lists with wider
// margins, each twice the last, made only when such a question is asked;
// the widest needed reaches the shortest lattice vector, since an atom's own
// image lies no farther away.
#pragma once

#include <cstddef>
#include <functional>
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

    // Any distance: NaN skipped, +inf when there is none.
    double nearest_distance(std::size_t index);
    // The nearest distance when it is below `bound`; otherwise some value >= bound.
    double nearest_distance_below(std::size_t index, double bound);

    // Every pair of different atoms whose shortest image distance is below
    // `limit` (at most the coordination radius), once each, first < second,
    // in the order (0,1), (0,2), ..., (1,2), ... An atom is never paired with
    // its own image: a cell is never thinner than the overlap distance.
    std::vector<AtomPair> pairs_closer_than(double limit) const;
    // The same pairs in the same order, handed to report(pair) as they are
    // found, holding no more than the pairs of one atom at a time.
    void report_pairs_closer_than(double limit, const std::function<void(const AtomPair&)>& report) const;

private:
    // Images within a margin, and the index over them.
    struct ImageList {
        ImageList(std::span<const Atom> atoms, const PeriodicCell& cell, double margin);
        PeriodicImages images;
        NeighbourGrid grid;
    };

    double widest_margin() const;
    std::span<const Atom> moved_atoms() const { return near_.images.atoms().first(near_.images.original_count()); }
    // A list with a wider margin than `list`'s.
    const ImageList& wider_than(const ImageList& list);

    std::span<const Atom> atoms_;
    const PeriodicCell& cell_;
    ImageList near_;
    std::optional<ImageList> far_;
};

}  // namespace quorv::geometry
