// The spatial index for atoms anywhere: only occupied columns take memory.
//
// Atoms with finite coordinates stand in columns parallel to z, a square of
// `width` by `width` in x and y, each column holding its atoms sorted by z.
// Columns are found by their cell keys (see axis_keys.h) in a hash table, so
// every finite atom is indexed, however far out it lies, and empty space
// between far fragments costs nothing. The atoms near an atom lie in the
// columns up to ceil(r / width) away, in each the run of atoms whose z lies
// within r of its own, found by binary search.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
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

class SparseGrid {
public:
    // `width` must be a power of two (see column_width_at_least). The atoms
    // must outlive the grid.
    SparseGrid(std::span<const Atom> atoms, double width);

    bool is_indexed(std::size_t index) const { return buffers_->column_of_atom[index] != ColumnTable::kNone; }

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
    struct Column {
        ColumnKey key;
        std::uint32_t begin;  // its atoms are entries[begin .. end)
        std::uint32_t end;
    };
    struct Buffers {
        std::vector<double> ranked_x;
        std::vector<double> ranked_y;
        ColumnTable columns;
        std::vector<std::uint32_t> column_of_atom;  // ColumnTable::kNone for an atom left out
        std::vector<std::uint32_t> column_start;    // column c holds entries[column_start[c] .. column_start[c + 1])
        std::vector<GridEntry> entries;

        std::size_t bytes() const {
            return bytes_of(ranked_x) + bytes_of(ranked_y) + columns.bytes() + bytes_of(column_of_atom) +
                   bytes_of(column_start) + bytes_of(entries);
        }
    };

    void place_atoms();
    ColumnKey key_of(const Atom& atom) const { return {keys_x_.key(atom.x), keys_y_.key(atom.y)}; }
    GridEntry entry_of(std::size_t index, const ColumnKey& key) const;
    Column column(std::uint32_t number) const {
        return {buffers_->columns.key(number), buffers_->column_start[number], buffers_->column_start[number + 1]};
    }
    // Calls visit(column) for each occupied column at most `reach` columns
    // from `centre` in x and in y (with Later, only those whose key comes
    // after the centre's, by x then y), until visit returns true.
    enum class Neighbours { All, Later };
    template <typename Visit>
    bool visit_columns_near(const ColumnKey& centre, double reach, Neighbours which, Visit&& visit) const;
    // The atoms of a column whose z lies within `window` of z, as the
    // reference takes the difference.
    std::span<const GridEntry> run_within(const Column& column, double z, double window) const;
    // The candidate pairs of an atom in `own` and one in `other`; within one
    // column (other == own), each pair once.
    template <typename Visit>
    void visit_candidates_between(const Column& own, const Column& other, double window, Visit& visit) const;

    std::span<const Atom> atoms_;
    double width_;
    AxisKeys keys_x_;
    AxisKeys keys_y_;
    ReusedBuffers<Buffers> buffers_;
};

// Below this many columns in a neighbourhood (beyond the occupied ones),
// columns are looked up one by one; above, every occupied column is tested.
inline constexpr double kFewColumnsToLookUp = 64;

template <typename Visit>
bool SparseGrid::visit_columns_near(const ColumnKey& centre, double reach, Neighbours which, Visit&& visit) const {
    const ColumnTable& columns = buffers_->columns;
    const bool later_only = which == Neighbours::Later;
    const double side = 2 * reach + 1;
    if (side * side <= static_cast<double>(columns.size()) + kFewColumnsToLookUp) {
        const auto steps = static_cast<std::int64_t>(reach);
        for (std::int64_t dx = later_only ? 0 : -steps; dx <= steps; ++dx) {
            for (std::int64_t dy = later_only && dx == 0 ? 1 : -steps; dy <= steps; ++dy) {
                const std::uint32_t number = columns.find({centre.x + dx, centre.y + dy});
                if (number != ColumnTable::kNone && visit(column(number))) return true;
            }
        }
        return false;
    }
    // Keys lie within +-2^53, so the differences cannot overflow; rounding
    // them to double can only let a column too many through.
    for (std::uint32_t number = 0; number < columns.size(); ++number) {
        const ColumnKey& key = columns.key(number);
        if (later_only && !(centre.x < key.x || (centre.x == key.x && centre.y < key.y))) continue;
        if (std::fabs(static_cast<double>(key.x - centre.x)) <= reach &&
            std::fabs(static_cast<double>(key.y - centre.y)) <= reach && visit(column(number))) {
            return true;
        }
    }
    return false;
}

template <typename Visit>
bool SparseGrid::visit_atoms_near(std::size_t index, double window, Visit&& visit) const {
    const ColumnKey centre = buffers_->columns.key(buffers_->column_of_atom[index]);
    const GridEntry own = entry_of(index, centre);
    const std::int64_t steps = window_in_steps(window, width_);
    return visit_columns_near(centre, reach_in_columns(window, width_), Neighbours::All, [&](const Column& column) {
        const ColumnPairFilter filter(centre, column.key, steps);
        for (const GridEntry& entry : run_within(column, own.z, window)) {
            if (entry.index != index && filter.may_be_within(own, entry) && visit(entry.index)) return true;
        }
        return false;
    });
}

template <typename Visit>
void SparseGrid::visit_candidates_between(const Column& own, const Column& other, double window, Visit& visit) const {
    const GridEntry* const entries = buffers_->entries.data();
    const ColumnPairFilter filter(own.key, other.key, window_in_steps(window, width_));
    const bool same = own.begin == other.begin;
    // Both columns are sorted by z: the run of `other` near an atom of `own`
    // starts no earlier for the next atom.
    std::uint32_t run_begin = other.begin;
    for (std::uint32_t a = own.begin; a < own.end; ++a) {
        const GridEntry& entry = entries[a];
        // Within one column an atom pairs with those after it.
        if (same) run_begin = a + 1;
        while (run_begin < other.end && entry.z - entries[run_begin].z > window) ++run_begin;
        for (std::uint32_t b = run_begin; b < other.end && entries[b].z - entry.z <= window; ++b) {
            if (filter.may_be_within(entry, entries[b])) visit(entry.index, entries[b].index);
        }
    }
}

template <typename Visit>
void SparseGrid::visit_close_candidates(double window, Visit&& visit) const {
    const double reach = reach_in_columns(window, width_);
    for (std::uint32_t number = 0; number < buffers_->columns.size(); ++number) {
        const Column own = column(number);
        visit_candidates_between(own, own, window, visit);
        // Each pair of columns once: from the one whose key comes first.
        visit_columns_near(own.key, reach, Neighbours::Later, [&](const Column& other) {
            visit_candidates_between(own, other, window, visit);
            return false;
        });
    }
}

}  // namespace quorv::geometry
