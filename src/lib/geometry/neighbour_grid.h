// A spatial index over a cluster's atoms that answers the geometry rules'
// questions in about linear time, with exactly the answers of the pairwise
// reference: every distance it reports or compares is measured with the
// reference `distance`, and the index only decides which pairs to measure.
//
// Atoms fall into three groups:
//  - on the grid: every coordinate finite and within reach of the cluster's
//    middle. They are binned into columns parallel to z (a square of side
//    `width` in x and y), so a query looks at the neighbouring columns and,
//    in each, at the atoms near its own z. When the cluster fills its
//    bounding box, a table of all columns split along z into bins of equal
//    height finds those atoms at once (the bins from the one just below the
//    z window to the one just above it); when it does not (fragments or
//    stray atoms far apart), a sorted list holds only the occupied columns,
//    each sorted by z and searched for the window, so empty space costs
//    nothing.
//  - far: finite, but so far out (more than 10^9 Å) that binning could lose
//    precision. They are compared with every atom, as in the reference.
//  - non-finite: some coordinate is NaN or infinite. Every distance from such
//    an atom is NaN or +inf (an infinite difference squares to +inf, and inf
//    or NaN stays so through the sum and the root), so it is never a bond, a
//    neighbour or an overlap, its nearest distance is +inf (the starting
//    value), and it never lowers another atom's nearest distance. No
//    measurement is needed to know that.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/distance.h"

namespace quorv::geometry {

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
    std::vector<AtomPair> pairs_closer_than(double limit) const;

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

    // Where to look along z: around `z`, `window` either way, which with a
    // table is the bins first_bin .. last_bin of every column.
    struct ZRange {
        double z;
        double window;
        std::size_t first_bin;
        std::size_t last_bin;
    };

    // Places every atom and returns the bounds of those on the grid.
    Bounds place_atoms();
    Bounds on_grid_bounds() const;
    // Widens `bounds` to take in the atom; the first atom sets them.
    static void include(Bounds& bounds, const Atom& atom, bool& first) {
        if (first) bounds = {{atom.x, atom.y, atom.z}, {atom.x, atom.y, atom.z}};
        first = false;
        bounds.low[0] = std::min(bounds.low[0], atom.x);
        bounds.low[1] = std::min(bounds.low[1], atom.y);
        bounds.low[2] = std::min(bounds.low[2], atom.z);
        bounds.high[0] = std::max(bounds.high[0], atom.x);
        bounds.high[1] = std::max(bounds.high[1], atom.y);
        bounds.high[2] = std::max(bounds.high[2], atom.z);
    }
    void bin_atoms(const Bounds& bounds, double width);
    void bin_into_table(const Bounds& bounds, std::size_t on_grid, std::size_t most_cells);
    void bin_into_list(std::size_t on_grid);
    Column column_of(double x, double y) const;
    std::size_t column_index(std::ptrdiff_t x, std::ptrdiff_t y) const {
        return static_cast<std::size_t>(x) * columns_y_ + static_cast<std::size_t>(y);
    }
    ColumnSpan find_column(std::ptrdiff_t x, std::ptrdiff_t y) const;
    std::ptrdiff_t rings_for(double radius) const;
    bool ring_outside_grid(Column centre, std::ptrdiff_t ring) const;

    ZRange z_range(double z, double window) const;
    // The atoms of a column that may lie within the range along z: all those
    // that do, and with a table some more of the same bins.
    std::span<const Entry> candidates(const ColumnSpan& span, const ZRange& range) const;
    // Whether every coordinate difference is within `window`, taken as the
    // reference takes it so that the window agrees with the distance it
    // stands in for.
    static bool within_window(const Entry& a, const Entry& b, double window);

    // Calls visit(entry) for each on-grid atom other than atoms[index] in the
    // columns at Chebyshev distance `ring` from `centre` whose coordinates
    // each lie within `window` of atoms[index]'s, until visit returns true.
    // `window` is read afresh for every column.
    template <typename Visit>
    bool scan_ring(std::size_t index, Column centre, std::ptrdiff_t ring, const double& window, Visit&& visit) const;
    template <typename Visit>
    bool scan_column(std::size_t index, const ColumnSpan& span, double window, Visit&& visit) const;

    // A column met in the search for close pairs, with the starts of its
    // bins when there is a table (bins[b] .. bins[b + 1] is bin b).
    struct NearColumn {
        ColumnSpan span;
        const std::uint32_t* bins;
    };
    NearColumn near_column(const ColumnSpan& span) const;

    // The close pairs of an atom in `own` and an atom stored after it in the
    // same column or in one of `later_columns`.
    void add_table_column_pairs(const NearColumn& own, std::span<const NearColumn> later_columns, double limit,
                                double window, std::vector<AtomPair>& pairs) const;
    void add_listed_column_pairs(const NearColumn& own, std::span<const NearColumn> later_columns, double limit,
                                 double window, std::vector<AtomPair>& pairs) const;
    void add_pair_if_closer(const Entry& a, const Entry& b, double limit, double window,
                            std::vector<AtomPair>& pairs) const;

    std::span<const Atom> atoms_;
    std::vector<Placement> placement_;
    std::vector<std::size_t> far_;  // ascending
    double width_ = 1.0;
    double inverse_width_ = 1.0;
    double origin_x_ = 0.0;
    double origin_y_ = 0.0;
    std::size_t columns_x_ = 0;  // the bounding box, in columns
    std::size_t columns_y_ = 0;
    // The occupied columns, by x then y.
    std::vector<ColumnSpan> occupied_;
    // With a table, bin b of column (x, y) holds sorted_[cell_start_[c] .. cell_start_[c + 1]),
    // c = (x * columns_y_ + y) * bins_ + b; without one, columns are found in
    // `occupied_` by binary search and are sorted by z.
    bool has_table_ = false;
    std::size_t bins_ = 1;
    double origin_z_ = 0.0;
    double inverse_bin_height_ = 0.0;
    std::vector<std::uint32_t> cell_start_;
    std::vector<Entry> sorted_;
};

}  // namespace quorv::geometry
