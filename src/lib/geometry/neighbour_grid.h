// A spatial index over a cluster's atoms that answers the geometry rules'
// questions in about linear time, with exactly the answers of the pairwise
// reference: every distance it reports or compares is measured with the
// reference `distance`, and the index only decides which pairs to measure.
//
// Atoms with finite coordinates stand in columns parallel to z, a square of
// `width` by `width` in x and y, each column holding its atoms sorted by z.
// Columns are found by their cell keys (see axis_keys.h) in a hash table, so
// only occupied columns take memory and every finite atom is indexed, however
// far out it lies. A question about atoms within r of an atom looks at the
// columns up to ceil(r / width) away and, in each, at the run of atoms whose z
// lies within r of its own. A nearest-partner search widens from the 3 x 3
// columns around the atom to the 5 x 5; a partner farther out is found by a
// k-d tree (nearest_tree.h), so that empty space is never walked through.
//
// An atom with a NaN or infinite coordinate is left out: every distance from
// it is NaN or +inf (an infinite difference squares to +inf, and inf or NaN
// stays so through the sum and the root), so it is never a bond, a neighbour
// or an overlap, its nearest distance is +inf, and it never lowers another
// atom's nearest distance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/axis_keys.h"
#include "lib/geometry/distance.h"

namespace quorv::geometry {

class NearestTree;
struct GridStorage;
struct GridColumn;
struct GridEntry;
struct ColumnKey;

class NeighbourGrid {
public:
    // Columns are `width` wide, rounded up to a power of two (and kept
    // between 2^-20 and 2^20 Å); radii below it are answered from the 3 x 3
    // columns around an atom. The atoms must outlive the grid.
    NeighbourGrid(std::span<const Atom> atoms, double width);
    ~NeighbourGrid();
    NeighbourGrid(const NeighbourGrid&) = delete;
    NeighbourGrid& operator=(const NeighbourGrid&) = delete;

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

private:
    void place_atoms();
    ColumnKey key_of(const Atom& atom) const;
    GridEntry entry_of(std::size_t index, const ColumnKey& key) const;
    bool is_indexed(std::size_t index) const;
    GridColumn column(std::uint32_t number) const;
    // How many columns away an atom within `window` in x or y may stand.
    double reach_in_columns(double window) const;
    // The window in steps across a column, rounded up; -1 when too wide to filter by.
    std::int64_t window_in_steps(double window) const;
    // Calls visit(column) for each occupied column at most `reach` columns
    // from `centre` in x and in y (with Later, only those whose key comes
    // after the centre's, by x then y), until visit returns true.
    enum class Neighbours { All, Later };
    template <typename Visit>
    bool visit_columns_near(std::int64_t centre_x, std::int64_t centre_y, double reach, Neighbours which,
                            Visit&& visit) const;
    // The atoms of a column whose z lies within `window` of z, as the
    // reference takes the difference.
    std::span<const GridEntry> run_within(const GridColumn& column, double z, double window) const;
    // Calls visit(other) for the atoms other than atoms[index] that may lie
    // within `window` of it in every coordinate (all that do, and a few
    // more), until visit returns true.
    template <typename Visit>
    bool visit_atoms_near(std::size_t index, double window, Visit&& visit) const;
    // The close pairs of an atom in `own` and one in `other`; within one
    // column (other == own), each pair once.
    void add_pairs_between(const GridColumn& own, const GridColumn& other, double limit, double window,
                           std::vector<AtomPair>& pairs) const;

    std::span<const Atom> atoms_;
    double width_;
    AxisKeys keys_x_;
    AxisKeys keys_y_;
    // Buffers reused by the grids of later calls on the same thread.
    std::unique_ptr<GridStorage> storage_;
    // Built on the first nearest-distance search that the columns near the
    // atom do not settle.
    mutable std::unique_ptr<NearestTree> tree_;
};

}  // namespace quorv::geometry
