#include "lib/geometry/neighbour_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

#include "lib/geometry/column_table.h"
#include "lib/geometry/grid_entry.h"
#include "lib/geometry/nearest_tree.h"

namespace quorv::geometry {

struct GridColumn {
    ColumnKey key;
    std::uint32_t begin;  // its atoms are entries[begin .. end)
    std::uint32_t end;
};

struct GridStorage {
    std::vector<double> ranked_x;
    std::vector<double> ranked_y;
    ColumnTable columns;
    std::vector<std::uint32_t> column_of_atom;  // ColumnTable::kNone for an atom left out
    std::vector<std::uint32_t> column_start;    // column c holds entries[column_start[c] .. column_start[c + 1])
    std::vector<GridEntry> entries;
};

namespace {

// A distance d computed by the reference never falls below the exact |dx|,
// |dy| or |dz| by more than a few units in the last place, except where a
// square underflows; a window this much wider than the radius loses no pair.
constexpr double kWindowRelativeMargin = 1e-9;
constexpr double kWindowAbsoluteMargin = 1e-150;
// A nearest-distance search looks this many rings of columns out before it
// hands over to the tree, which needs no empty space to be walked through.
constexpr int kNearRings = 2;
// Below this many columns in a neighbourhood (beyond the occupied ones),
// columns are looked up one by one; above, every occupied column is tested.
constexpr double kFewColumns = 64;
// Grids of one call, and of calls nested in tests, each keep their buffers.
constexpr std::size_t kPooledStorages = 2;

double search_window(double radius) { return radius * (1.0 + kWindowRelativeMargin) + kWindowAbsoluteMargin; }

bool is_finite(const Atom& atom) { return std::isfinite(atom.x) && std::isfinite(atom.y) && std::isfinite(atom.z); }

// Column widths are kept where their inverse and 2^52 of them are ordinary numbers.
constexpr double kNarrowestColumn = 0x1p-20;
constexpr double kWidestColumn = 0x1p20;

double power_of_two_at_least(double width) {
    width = std::isnan(width) ? 1.0 : std::clamp(width, kNarrowestColumn, kWidestColumn);
    int exponent = 0;
    const double mantissa = std::frexp(width, &exponent);  // width = mantissa * 2^exponent, mantissa in [0.5, 1)
    return std::ldexp(1.0, mantissa == 0.5 ? exponent - 1 : exponent);
}

// Most columns hold a handful of atoms, which a plain insertion sort orders fastest.
constexpr std::size_t kFewEntries = 16;

void sort_by_z(std::span<GridEntry> entries) {
    const auto before = [](const GridEntry& a, const GridEntry& b) {
        return a.z < b.z || (a.z == b.z && a.index < b.index);
    };
    if (entries.size() > kFewEntries) {
        std::sort(entries.begin(), entries.end(), before);
        return;
    }
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const GridEntry entry = entries[i];
        std::size_t j = i;
        for (; j > 0 && before(entry, entries[j - 1]); --j) entries[j] = entries[j - 1];
        entries[j] = entry;
    }
}

bool comes_before(const ColumnKey& a, const ColumnKey& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

std::vector<std::unique_ptr<GridStorage>>& storage_pool() {
    thread_local std::vector<std::unique_ptr<GridStorage>> pool;
    return pool;
}

std::unique_ptr<GridStorage> take_storage() {
    auto& pool = storage_pool();
    if (pool.empty()) return std::make_unique<GridStorage>();
    std::unique_ptr<GridStorage> storage = std::move(pool.back());
    pool.pop_back();
    return storage;
}

}  // namespace

NeighbourGrid::NeighbourGrid(std::span<const Atom> atoms, double width)
    : atoms_(atoms),
      width_(power_of_two_at_least(width)),
      keys_x_(width_),
      keys_y_(width_),
      storage_(take_storage()) {
    // Column numbers and entry positions are 32-bit; so many atoms would
    // need hundreds of gigabytes before they got here.
    if (atoms.size() >= ColumnTable::kNone) throw std::length_error("too many atoms to index");
    place_atoms();
}

NeighbourGrid::~NeighbourGrid() {
    auto& pool = storage_pool();
    if (pool.size() < kPooledStorages) pool.push_back(std::move(storage_));
}

void NeighbourGrid::place_atoms() {
    GridStorage& storage = *storage_;
    // Coordinates keyed by rank are rare; a first pass finds them.
    storage.ranked_x.clear();
    storage.ranked_y.clear();
    for (const Atom& atom : atoms_) {
        if (!is_finite(atom)) continue;
        if (keys_x_.keyed_by_rank(atom.x)) storage.ranked_x.push_back(atom.x);
        if (keys_y_.keyed_by_rank(atom.y)) storage.ranked_y.push_back(atom.y);
    }
    keys_x_.rank(storage.ranked_x);
    keys_y_.rank(storage.ranked_y);

    // A counting sort by column: count, turn the counts into the ends of
    // the columns, then fill each column from its end.
    storage.columns.clear();
    storage.column_of_atom.resize(atoms_.size());
    std::vector<std::uint32_t>& start = storage.column_start;
    start.clear();
    std::uint32_t indexed = 0;
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        const Atom& atom = atoms_[i];
        std::uint32_t column = ColumnTable::kNone;
        if (is_finite(atom)) {
            column = storage.columns.find_or_add(key_of(atom));
            if (column == start.size()) start.push_back(0);
            ++start[column];
            ++indexed;
        }
        storage.column_of_atom[i] = column;
    }
    for (std::size_t column = 1; column < start.size(); ++column) start[column] += start[column - 1];
    start.push_back(indexed);
    storage.entries.resize(indexed);
    for (std::size_t i = atoms_.size(); i-- > 0;) {
        const std::uint32_t column = storage.column_of_atom[i];
        if (column != ColumnTable::kNone) storage.entries[--start[column]] = entry_of(i, storage.columns.key(column));
    }
    for (std::size_t column = 0; column + 1 < start.size(); ++column) {
        sort_by_z(std::span(storage.entries).subspan(start[column], start[column + 1] - start[column]));
    }
}

ColumnKey NeighbourGrid::key_of(const Atom& atom) const { return {keys_x_.key(atom.x), keys_y_.key(atom.y)}; }

GridEntry NeighbourGrid::entry_of(std::size_t index, const ColumnKey& key) const {
    const Atom& atom = atoms_[index];
    return {atom.z, static_cast<std::uint32_t>(index), keys_x_.step_in_cell(atom.x, key.x),
            keys_y_.step_in_cell(atom.y, key.y)};
}

bool NeighbourGrid::is_indexed(std::size_t index) const {
    return storage_->column_of_atom[index] != ColumnTable::kNone;
}

GridColumn NeighbourGrid::column(std::uint32_t number) const {
    return {storage_->columns.key(number), storage_->column_start[number], storage_->column_start[number + 1]};
}

std::int64_t NeighbourGrid::window_in_steps(double window) const {
    // Exact: the width is a power of two, and so is the number of steps.
    const double steps = std::ceil(window / width_ * AxisKeys::kStepsPerCell);
    return steps <= kMostFilteredSteps ? static_cast<std::int64_t>(steps) : -1;
}

double NeighbourGrid::reach_in_columns(double window) const {
    // The width is a power of two: the quotient is exact, and an atom whose
    // exact difference is within it lies that many columns away at most.
    return std::ceil(window / width_);
}

template <typename Visit>
bool NeighbourGrid::visit_columns_near(std::int64_t centre_x, std::int64_t centre_y, double reach, Neighbours which,
                                       Visit&& visit) const {
    const ColumnTable& columns = storage_->columns;
    const bool later_only = which == Neighbours::Later;
    const double side = 2 * reach + 1;
    if (side * side <= static_cast<double>(columns.size()) + kFewColumns) {
        const auto steps = static_cast<std::int64_t>(reach);
        for (std::int64_t dx = later_only ? 0 : -steps; dx <= steps; ++dx) {
            for (std::int64_t dy = later_only && dx == 0 ? 1 : -steps; dy <= steps; ++dy) {
                const std::uint32_t number = columns.find({centre_x + dx, centre_y + dy});
                if (number != ColumnTable::kNone && visit(column(number))) return true;
            }
        }
        return false;
    }
    // Keys lie within +-2^53, so the differences cannot overflow; rounding
    // them to double can only let a column too many through.
    for (std::uint32_t number = 0; number < columns.size(); ++number) {
        const ColumnKey& key = columns.key(number);
        if (later_only && !comes_before({centre_x, centre_y}, key)) continue;
        if (std::fabs(static_cast<double>(key.x - centre_x)) <= reach &&
            std::fabs(static_cast<double>(key.y - centre_y)) <= reach && visit(column(number))) {
            return true;
        }
    }
    return false;
}

std::span<const GridEntry> NeighbourGrid::run_within(const GridColumn& column, double z, double window) const {
    const GridEntry* const begin = storage_->entries.data() + column.begin;
    const GridEntry* const end = storage_->entries.data() + column.end;
    // Each difference is taken as the reference takes it, so that the window
    // agrees with the distance it stands in for.
    const GridEntry* const first =
        std::partition_point(begin, end, [&](const GridEntry& other) { return z - other.z > window; });
    const GridEntry* const last =
        std::partition_point(first, end, [&](const GridEntry& other) { return other.z - z <= window; });
    return {first, last};
}

template <typename Visit>
bool NeighbourGrid::visit_atoms_near(std::size_t index, double window, Visit&& visit) const {
    const ColumnKey centre = storage_->columns.key(storage_->column_of_atom[index]);
    const GridEntry own = entry_of(index, centre);
    const std::int64_t window_steps = window_in_steps(window);
    return visit_columns_near(centre.x, centre.y, reach_in_columns(window), Neighbours::All,
                              [&](const GridColumn& column) {
        const ColumnPairFilter filter(centre, column.key, window_steps);
        for (const GridEntry& entry : run_within(column, own.z, window)) {
            if (entry.index != index && filter.may_be_within(own, entry) && visit(entry.index)) return true;
        }
        return false;
    });
}

std::size_t NeighbourGrid::count_neighbours_within(std::size_t index, double radius, std::size_t enough) const {
    // No distance is <= a negative or NaN radius.
    if (enough == 0 || !is_indexed(index) || !(radius >= 0.0)) return 0;
    const double window = search_window(radius);
    std::size_t neighbours = 0;
    visit_atoms_near(index, window, [&](std::size_t other) {
        if (distance(atoms_[index], atoms_[other]) <= radius) ++neighbours;  // false for NaN
        return neighbours >= enough;
    });
    return neighbours;
}

bool NeighbourGrid::has_neighbour_within(std::size_t index, double radius) const {
    return count_neighbours_within(index, radius, 1) >= 1;
}

double NeighbourGrid::nearest_distance_below(std::size_t index, double bound) const {
    if (!is_indexed(index)) return std::numeric_limits<double>::infinity();
    double nearest = bound;
    const auto measure = [&](std::size_t other) {
        const double d = distance(atoms_[index], atoms_[other]);
        if (d < nearest) nearest = d;  // false for NaN: the minimum keeps its value
        return false;
    };
    // Widening windows: the columns `ring` away, and along z as far. What
    // lies outside is `ring` widths away or more in some coordinate, so at
    // least length(ring widths) away; once the nearest is no farther, it is final.
    for (int ring = 1; ring <= kNearRings; ++ring) {
        const double slab = ring * width_;
        const double window = std::min(slab, search_window(nearest));
        visit_atoms_near(index, window, measure);
        if (nearest <= length(slab, 0.0, 0.0)) return nearest;
    }
    if (!tree_) tree_ = std::make_unique<NearestTree>(atoms_);
    return tree_->nearest_distance_below(index, nearest);
}

void NeighbourGrid::add_pairs_between(const GridColumn& own, const GridColumn& other, double limit, double window,
                                      std::vector<AtomPair>& pairs) const {
    const GridEntry* const entries = storage_->entries.data();
    const ColumnPairFilter filter(own.key, other.key, window_in_steps(window));
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
            if (!filter.may_be_within(entry, entries[b])) continue;
            const std::size_t first = std::min(entry.index, entries[b].index);
            const std::size_t second = std::max(entry.index, entries[b].index);
            const double d = distance(atoms_[first], atoms_[second]);
            if (d < limit) pairs.push_back({first, second, d});  // false for NaN
        }
    }
}

std::vector<AtomPair> NeighbourGrid::pairs_closer_than(double limit) const {
    std::vector<AtomPair> pairs;
    if (!(limit > 0.0)) return pairs;  // no distance is below zero or NaN
    const double window = search_window(limit);
    const double reach = reach_in_columns(window);
    for (std::uint32_t number = 0; number < storage_->columns.size(); ++number) {
        const GridColumn own = column(number);
        add_pairs_between(own, own, limit, window, pairs);
        // Each pair of columns once: from the one whose key comes first.
        visit_columns_near(own.key.x, own.key.y, reach, Neighbours::Later, [&](const GridColumn& other) {
            add_pairs_between(own, other, limit, window, pairs);
            return false;
        });
    }
    std::sort(pairs.begin(), pairs.end(), [](const AtomPair& a, const AtomPair& b) {
        return a.first < b.first || (a.first == b.first && a.second < b.second);
    });
    return pairs;
}

}  // namespace quorv::geometry
