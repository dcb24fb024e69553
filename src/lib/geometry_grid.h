// A spatial index over a cluster's atoms that answers the geometry rules'
// questions in about linear time, with exactly the answers of the pairwise
// reference: every distance it reports or compares is measured with the
// reference `distance`, and the index only decides which pairs to measure.
//
// Atoms fall into three groups:
//  - on the grid: every coordinate finite and within reach of the cluster's
//    middle. They are binned into columns parallel to z (a square of side
//    `width` in x and y) and sorted by z inside each column, so a query looks
//    at the neighbouring columns and, in each, at a window of z values. Only
//    occupied columns are kept: a table of all columns when the cluster fills
//    its bounding box, a sorted list when it does not (fragments or stray
//    atoms far apart), so empty space costs nothing.
//  - far: finite, but so far out (more than 10^9 Å) that binning could lose
//    precision. They are compared with every atom, as in the reference.
//  - non-finite: some coordinate is NaN or infinite. Every distance from such
//    an atom is NaN or +inf (an infinite difference squares to +inf, and inf
//    or NaN stays so through the sum and the root), so it is never a bond, a
//    neighbour or an overlap, its nearest distance is +inf (the starting
//    value), and it never lowers another atom's nearest distance. No
//    measurement is needed to know that.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry_reference.h"

namespace quorv {

class NeighbourGrid {
public:
    // `width` is the side of a column (1 Å at least); radii below it are
    // answered from the 3 x 3 columns around an atom. The atoms must outlive
    // the grid.
    NeighbourGrid(std::span<const Atom> atoms, double width);

    // Whether some other atom lies at a distance <= radius.
    bool has_neighbour_within(std::size_t index, double radius) const;

    // How many other atoms lie at a distance <= radius, counting no further
    // than `enough`.
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
    std::vector<geometry_reference::AtomPair> pairs_closer_than(double limit) const;

private:
    enum class Placement : std::uint8_t { OnGrid, Far, NonFinite };

    // Column coordinates count widths from the smallest x and y on the grid.
    struct Column {
        std::ptrdiff_t x;
        std::ptrdiff_t y;
    };

    // A column's atoms: sorted_[begin .. end).
    struct ColumnSpan {
        Column column;
        std::uint32_t begin;
        std::uint32_t end;
    };

    // An on-grid atom's coordinates, copied so that scans read memory in order.
    struct Entry {
        double x;
        double y;
        double z;
        std::uint32_t index;
    };

    struct Bounds {
        double low[3];
        double high[3];
    };

    Bounds place_atoms();
    void bin_atoms(const Bounds& bounds, double width);
    void bin_into_table(const Bounds& bounds, std::size_t on_grid, std::size_t most_cells);
    void bin_into_list(std::size_t on_grid);
    Column column_of(const Atom& atom) const;
    ColumnSpan find_column(std::ptrdiff_t x, std::ptrdiff_t y) const;
    std::ptrdiff_t rings_for(double radius) const;
    bool ring_outside_grid(Column centre, std::ptrdiff_t ring) const;

    // Calls visit(entry) for each on-grid atom other than atoms[index] in the
    // columns at Chebyshev distance `ring` from `centre` whose coordinates
    // each lie within `window` of atoms[index]'s (differences taken as the
    // reference takes them), until visit returns true. `window` is read
    // afresh for every column.
    template <typename Visit>
    bool scan_ring(std::size_t index, Column centre, std::ptrdiff_t ring, const double& window, Visit&& visit) const;
    template <typename Visit>
    bool scan_column(std::size_t index, const ColumnSpan& span, double window, Visit&& visit) const;

    void add_column_pairs(const ColumnSpan& span, double limit, double window,
                          std::vector<geometry_reference::AtomPair>& pairs) const;
    void add_cross_column_pairs(const ColumnSpan& first, const ColumnSpan& second, double limit, double window,
                                std::vector<geometry_reference::AtomPair>& pairs) const;
    void add_pair_if_closer(const Entry& a, const Entry& b, double limit, double window,
                            std::vector<geometry_reference::AtomPair>& pairs) const;

    std::span<const Atom> atoms_;
    std::vector<Placement> placement_;
    std::vector<std::size_t> far_;  // ascending
    double width_ = 1.0;
    double origin_x_ = 0.0;
    double origin_y_ = 0.0;
    std::size_t columns_x_ = 0;  // the bounding box, in columns
    std::size_t columns_y_ = 0;
    // The occupied columns, by x then y.
    std::vector<ColumnSpan> occupied_;
    // With a table, column (x, y) holds sorted_[column_start_[x * columns_y_ + y] .. the next start);
    // without one, columns are found in `occupied_` by binary search.
    bool has_table_ = false;
    std::vector<std::uint32_t> column_start_;
    std::vector<Entry> sorted_;
};

}  // namespace quorv
