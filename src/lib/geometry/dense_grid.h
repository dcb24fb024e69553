// The spatial index for a cluster that fills its bounding box: a table of
// every column of the box, each split along z into bins of one height, so
// that the atoms near a given z in any column are found with two reads and
// no search. A cluster whose box would need more than a few cells per atom
// (fragments far apart, a few stray atoms) takes SparseGrid instead.
//
// Columns are `width` by `width` in x and y, bins `bin_height` tall, both
// powers of two, so that cell keys are exact (see axis_keys.h): an atom
// within r of another lies at most ceil(r / width) columns away, and the bins
// that can hold it are found from the keys of z - r and z + r.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/axis_keys.h"
#include "lib/geometry/column_table.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/grid_entry.h"
#include "lib/geometry/reused_buffers.h"
#include "lib/geometry/search_window.h"

namespace quorv::geometry {

// Where the table lies and how it is cut.
struct DenseLayout {
    double width;
    double bin_height;
    ColumnKey first_column;  // the keys of the table's first column
    std::int64_t first_bin;
    std::size_t columns_x;
    std::size_t columns_y;
    std::size_t bins;  // per column
    double low_z;      // the lowest and highest z of a finite atom
    double high_z;

    // The layout for these atoms with columns `width` wide (a power of two),
    // when it needs no more than a few cells per finite atom; none when there
    // is no finite atom or too much empty space.
    static std::optional<DenseLayout> fit(std::span<const Atom> atoms, double width);
};

class DenseGrid {
public:
    // The layout must have been fitted to these atoms, which must outlive the grid.
    DenseGrid(std::span<const Atom> atoms, const DenseLayout& layout);

    bool is_indexed(std::size_t index) const { return is_finite(atoms_[index]); }

    // Calls visit(other) for the atoms other than atoms[index] (which must be
    // indexed) that may lie within `window` of it in every coordinate: all
    // that do, and a few more. Stops when visit returns true, and says so.
    template <typename Visit>
    bool visit_atoms_near(std::size_t index, double window, Visit&& visit) const;

    // Calls visit(a, b) once for each pair of indexed atoms that may lie
    // within `window` of each other in every coordinate: all that do, and a
    // few more, in no particular order.
    template <typename Visit>
    void visit_close_candidates(double window, Visit&& visit) const;

private:
    // A column that visit_close_candidates pairs with the one it stands at.
    struct LaterColumn {
        std::size_t first_cell;
        ColumnPairFilter filter;
    };
    struct Buffers {
        std::vector<std::uint32_t> cell_start;  // cell c holds entries[cell_start[c] .. cell_start[c + 1])
        std::vector<GridEntry> entries;
        std::vector<LaterColumn> later_columns;

        std::size_t bytes() const {
            return bytes_of(cell_start) + bytes_of(entries) + bytes_of(later_columns);
        }
    };
    // Bins first .. last of a column.
    struct Bins {
        std::size_t first;
        std::size_t last;
    };
    // A column as the searches use it: its keys and its first cell.
    struct Column {
        ColumnKey key;
        std::size_t first_cell;
    };

    void place_atoms();
    // Every finite atom of the table's cluster is keyed by floor.
    ColumnKey key_of(const Atom& atom) const { return {keys_x_.floor_key(atom.x), keys_y_.floor_key(atom.y)}; }
    GridEntry entry_of(std::size_t index, const ColumnKey& key) const {
        const Atom& atom = atoms_[index];
        return {atom.z, static_cast<std::uint32_t>(index), keys_x_.step_in_cell(atom.x, key.x),
                keys_y_.step_in_cell(atom.y, key.y)};
    }
    std::size_t cell_of(const ColumnKey& key, double z) const;
    Column column(std::size_t x, std::size_t y) const {
        return {{static_cast<std::int64_t>(x) + layout_.first_column.x,
                 static_cast<std::int64_t>(y) + layout_.first_column.y},
                (x * layout_.columns_y + y) * layout_.bins};
    }
    // The bins that hold every atom whose z lies within `window` of z.
    Bins bins_within(double z, double window) const {
        // An atom whose exact difference from z is within the window lies
        // between these two (the slack is more than the rounding of the sums),
        // so its bin lies between their bins; no atom lies outside the
        // table's extent, which keeps infinite windows in it.
        constexpr double kRelativeSlack = 0x1p-50;
        const double slack = std::max(std::fabs(z), window) * kRelativeSlack;
        const double low = std::max(z - window - slack, layout_.low_z);
        const double high = std::min(z + window + slack, layout_.high_z);
        return {static_cast<std::size_t>(keys_z_.floor_key(low) - layout_.first_bin),
                static_cast<std::size_t>(keys_z_.floor_key(high) - layout_.first_bin)};
    }
    std::span<const GridEntry> entries_in(const Column& column, const Bins& bins) const {
        const std::uint32_t* const start = buffers_->cell_start.data() + column.first_cell;
        return {buffers_->entries.data() + start[bins.first], buffers_->entries.data() + start[bins.last + 1]};
    }
    // How many columns away, within the table, an atom within `window` may stand.
    std::size_t reach(double window) const;

    std::span<const Atom> atoms_;
    DenseLayout layout_;
    AxisKeys keys_x_;
    AxisKeys keys_y_;
    AxisKeys keys_z_;
    ReusedBuffers<Buffers> buffers_;
};

// Whether z and the z of `other` differ by at most `window`, as the reference takes the difference.
inline bool z_within(double z, const GridEntry& other, double window) {
    return z - other.z <= window && other.z - z <= window;
}

template <typename Visit>
bool DenseGrid::visit_atoms_near(std::size_t index, double window, Visit&& visit) const {
    const Atom& atom = atoms_[index];
    const ColumnKey centre = key_of(atom);
    const GridEntry own = entry_of(index, centre);
    const std::int64_t steps = window_in_steps(window, layout_.width);
    const Bins bins = bins_within(atom.z, window);
    const auto r = static_cast<std::int64_t>(reach(window));
    const std::int64_t x = centre.x - layout_.first_column.x;
    const std::int64_t y = centre.y - layout_.first_column.y;
    // Only the columns whose atoms the step filter can let through.
    const std::int64_t x_from = std::max<std::int64_t>(x - columns_below_to_read(own.x_step, steps, r), 0);
    const std::int64_t y_from = std::max<std::int64_t>(y - columns_below_to_read(own.y_step, steps, r), 0);
    const std::int64_t x_end = std::min(x + columns_above_to_read(own.x_step, steps, r) + 1,
                                        static_cast<std::int64_t>(layout_.columns_x));
    const std::int64_t y_end = std::min(y + columns_above_to_read(own.y_step, steps, r) + 1,
                                        static_cast<std::int64_t>(layout_.columns_y));
    for (std::int64_t other_x = x_from; other_x < x_end; ++other_x) {
        for (std::int64_t other_y = y_from; other_y < y_end; ++other_y) {
            const Column other = column(static_cast<std::size_t>(other_x), static_cast<std::size_t>(other_y));
            const ColumnPairFilter filter(centre, other.key, steps);
            for (const GridEntry& entry : entries_in(other, bins)) {
                if (entry.index != index && z_within(atom.z, entry, window) && filter.may_be_within(own, entry) &&
                    visit(entry.index)) {
                    return true;
                }
            }
        }
    }
    return false;
}

template <typename Visit>
void DenseGrid::visit_close_candidates(double window, Visit&& visit) const {
    const std::uint32_t* const start = buffers_->cell_start.data();
    const GridEntry* const entries = buffers_->entries.data();
    const std::int64_t steps = window_in_steps(window, layout_.width);
    const auto r = static_cast<std::int64_t>(reach(window));
    const auto columns_x = static_cast<std::int64_t>(layout_.columns_x);
    const auto columns_y = static_cast<std::int64_t>(layout_.columns_y);
    std::vector<LaterColumn>& later_columns = buffers_->later_columns;
    for (std::int64_t x = 0; x < columns_x; ++x) {
        for (std::int64_t y = 0; y < columns_y; ++y) {
            const Column own = column(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
            const std::uint32_t own_end = start[own.first_cell + layout_.bins];
            if (start[own.first_cell] == own_end) continue;
            // Each pair of columns once: from the one that comes first, by x then y.
            later_columns.clear();
            for (std::int64_t other_x = x; other_x <= std::min(x + r, columns_x - 1); ++other_x) {
                const std::int64_t from_y = other_x == x ? y + 1 : std::max<std::int64_t>(y - r, 0);
                for (std::int64_t other_y = from_y; other_y <= std::min(y + r, columns_y - 1); ++other_y) {
                    const Column other = column(static_cast<std::size_t>(other_x), static_cast<std::size_t>(other_y));
                    if (start[other.first_cell] != start[other.first_cell + layout_.bins]) {
                        later_columns.push_back({other.first_cell, ColumnPairFilter(own.key, other.key, steps)});
                    }
                }
            }
            const ColumnPairFilter same(own.key, own.key, steps);
            for (std::uint32_t a = start[own.first_cell]; a < own_end; ++a) {
                const GridEntry& entry = entries[a];
                const Bins bins = bins_within(entry.z, window);
                // Within its own column an atom pairs with those stored after it.
                for (std::uint32_t b = std::max(a + 1, start[own.first_cell + bins.first]);
                     b < start[own.first_cell + bins.last + 1]; ++b) {
                    if (z_within(entry.z, entries[b], window) && same.may_be_within(entry, entries[b])) {
                        visit(entry.index, entries[b].index);
                    }
                }
                for (const LaterColumn& later : later_columns) {
                    for (std::uint32_t b = start[later.first_cell + bins.first];
                         b < start[later.first_cell + bins.last + 1]; ++b) {
                        if (z_within(entry.z, entries[b], window) && later.filter.may_be_within(entry, entries[b])) {
                            visit(entry.index, entries[b].index);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace quorv::geometry
