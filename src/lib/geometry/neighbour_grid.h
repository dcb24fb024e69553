// A spatial index over a cluster's atoms that answers the geometry rules'
// questions in about linear time, with exactly the answers of the pairwise
// reference: every distance it reports or compares is measured with the
// reference `distance`, and the index only decides which pairs to measure.
//
// Atoms with finite coordinates stand in columns parallel to z. A cluster
// that fills its bounding box gets a table of every column, cut along z into
// bins (DenseGrid); any other, fragments far apart or a few stray atoms
// included, gets only its occupied columns, found by hashing (SparseGrid).
// The shape is chosen once, when the grid is built; both answer the same
// questions the same way. A question about atoms within r of an atom looks
// at the columns up to ceil(r / width) away. A nearest-partner search widens
// from the 3 x 3 columns around the atom ring by ring, until it has looked
// about 4 Å out (two to four rings); a partner farther out is found by a k-d
// tree (nearest_tree.h), so that empty space is never walked through.
//
// An atom with a NaN or infinite coordinate is left out: every distance from
// it is NaN or +inf (an infinite difference squares to +inf, and inf or NaN
// stays so through the sum and the root), so it is never a bond, a neighbour
// or an overlap, its nearest distance is +inf, and it never lowers another
// atom's nearest distance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <variant>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/dense_grid.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/sparse_grid.h"

namespace quorv::geometry {

class NearestTree;

enum class GridShape : std::uint8_t { Dense, Sparse };

class NeighbourGrid {
public:
    // Columns are `width` wide, rounded up to a power of two (and kept
    // between 2^-20 and 2^20 Å); radii below it are answered from the 3 x 3
    // columns around an atom. The grid takes the dense shape when the atoms
    // fit it and `shape` allows it. The atoms must outlive the grid.
    NeighbourGrid(std::span<const Atom> atoms, double width, GridShape shape = GridShape::Dense);
    ~NeighbourGrid();
    NeighbourGrid(const NeighbourGrid&) = delete;
    NeighbourGrid& operator=(const NeighbourGrid&) = delete;

    GridShape shape() const { return std::holds_alternative<DenseGrid>(grid_) ? GridShape::Dense : GridShape::Sparse; }

    // Whether some other atom lies at a distance <= radius (finite).
    bool has_neighbour_within(std::size_t index, double radius) const;

    // How many other atoms lie at a distance <= radius (finite), counting no
    // further than `enough`.
    std::size_t count_neighbours_within(std::size_t index, double radius, std::size_t enough) const;

    // The reference nearest distance: NaN skipped, +inf when there is none.
    double nearest_distance(std::size_t index) const {
        return nearest_distance_below(index, std::numeric_limits<double>::infinity());
    }

    // The nearest distance when it is below `bound`; otherwise some value
    // >= bound. min(bound, result) is always min(bound, nearest distance).
    double nearest_distance_below(std::size_t index, double bound) const;

    // Every pair closer than `limit` (strictly), in the reference order
    // (0,1), (0,2), ..., (1,2), ...
    std::vector<AtomPair> pairs_closer_than(double limit) const;

    // Calls report(pair) for the same pairs in the same order, as they are
    // found: no more than the pairs of one atom are held at a time, however
    // many there are.
    void report_pairs_closer_than(double limit, const std::function<void(const AtomPair&)>& report) const;

private:
    using Grid = std::variant<DenseGrid, SparseGrid>;
    static Grid grid_for(std::span<const Atom> atoms, double width, GridShape shape);
    const NearestTree& tree() const;

    std::span<const Atom> atoms_;
    double width_;
    Grid grid_;
    // Built on the first nearest-distance search that the columns near the
    // atom do not settle.
    mutable std::unique_ptr<NearestTree> tree_;
};

}  // namespace quorv::geometry
