#include "lib/geometry/neighbour_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace quorv::geometry {

namespace {


// On-grid atoms lie within this many ångström of the cluster's middle in
// every coordinate. With columns at least 1 Å wide, every column coordinate
// stays below 2^31, where the rounding of (x - origin) * (1 / width) is
// below 1e-5 of a column; so is that of a z bin, there being fewer bins in
// a column than 2^31.
constexpr double kReach = 1073741824.0;  // 2^30
// A safety margin, in columns, for the rounding of column coordinates.
constexpr double kColumnSlack = 1e-4;
// A distance d computed by the reference never falls below |dx|, |dy| or |dz|
// by more than a few units in the last place, except where a square
// underflows; a window this much wider than the radius cannot lose a pair.
constexpr double kWindowRelativeMargin = 1e-9;
constexpr double kWindowAbsoluteMargin = 1e-150;
// A table of every column of the bounding box is kept when it needs no more
// than this many entries per on-grid atom (plus a few); the same number of
// cells, split along z into bins, finds an atom's neighbours in a column
// without a search.
constexpr std::size_t kCellsPerAtom = 4;
constexpr std::size_t kExtraCells = 64;
constexpr double kNarrowestColumn = 1.0;
constexpr std::size_t kFewestAtomsPerColumn = 2;
constexpr double kThinnestSpan = 1e-200;
// Cell numbers are 32-bit; a cluster larger than this is measured pairwise.
constexpr std::size_t kMostIndexedAtoms = std::size_t{1} << 29;

bool is_finite(const Atom& atom) { return std::isfinite(atom.x) && std::isfinite(atom.y) && std::isfinite(atom.z); }

double z_window(double radius) { return radius * (1.0 + kWindowRelativeMargin) + kWindowAbsoluteMargin; }

double median(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

bool within_reach(double value, double middle) { return std::fabs(value - middle) <= kReach; }

// floor(position) within 0 .. count - 1. Only the lower end may be negative
// or -inf, and the upper end +inf; truncation is floor for what is left.
std::size_t clamped_floor(double position, std::size_t count) {
    if (!(position > 0.0)) return 0;
    const auto last = static_cast<double>(count - 1);
    return position >= last ? count - 1 : static_cast<std::size_t>(position);
}

}  // namespace

NeighbourGrid::NeighbourGrid(std::span<const Atom> atoms, double width) : atoms_(atoms) {
    const Bounds bounds = place_atoms();
    // Narrower columns would not pay, and the rounding bound above assumes them this wide.
    bin_atoms(bounds, std::max(width, kNarrowestColumn));
}

NeighbourGrid::Bounds NeighbourGrid::place_atoms() {
    const std::size_t count = atoms_.size();
    placement_.assign(count, Placement::NonFinite);
    const Placement finite = count <= kMostIndexedAtoms ? Placement::OnGrid : Placement::Far;
    // Reading the atoms is much of the work: one pass places them and
    // measures the bounds of those on the grid.
    Bounds bounds{{0, 0, 0}, {0, 0, 0}};
    bool first = true;
    for (std::size_t i = 0; i < count; ++i) {
        const Atom& atom = atoms_[i];
        if (!is_finite(atom)) continue;
        placement_[i] = finite;
        if (finite == Placement::OnGrid) include(bounds, atom, first);
    }
    bool compact = true;
    for (int axis = 0; axis < 3; ++axis) compact = compact && bounds.high[axis] - bounds.low[axis] <= 2 * kReach;
    if (!compact) {
        // Outliers are measured against everything; the median keeps a few of
        // them from moving the grid away from the bulk of the cluster.
        std::vector<double> xs, ys, zs;
        for (std::size_t i = 0; i < count; ++i) {
            if (placement_[i] != Placement::OnGrid) continue;
            xs.push_back(atoms_[i].x);
            ys.push_back(atoms_[i].y);
            zs.push_back(atoms_[i].z);
        }
        const double middle_x = median(std::move(xs));
        const double middle_y = median(std::move(ys));
        const double middle_z = median(std::move(zs));
        for (std::size_t i = 0; i < count; ++i) {
            if (placement_[i] != Placement::OnGrid) continue;
            const Atom& atom = atoms_[i];
            if (!within_reach(atom.x, middle_x) || !within_reach(atom.y, middle_y) ||
                !within_reach(atom.z, middle_z)) {
                placement_[i] = Placement::Far;
            }
        }
        bounds = on_grid_bounds();
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (placement_[i] == Placement::Far) far_.push_back(i);
    }
    return bounds;
}

NeighbourGrid::Bounds NeighbourGrid::on_grid_bounds() const {
    Bounds bounds{{0, 0, 0}, {0, 0, 0}};
    bool first = true;
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        if (placement_[i] == Placement::OnGrid) include(bounds, atoms_[i], first);
    }
    return bounds;
}

NeighbourGrid::Column NeighbourGrid::column_of(double x, double y) const {
    // Rounding is monotone, so atoms keep their order along x and y; clamping
    // keeps it too, and cannot separate two atoms by more columns than before.
    return {static_cast<std::ptrdiff_t>(clamped_floor((x - origin_x_) * inverse_width_, columns_x_)),
            static_cast<std::ptrdiff_t>(clamped_floor((y - origin_y_) * inverse_width_, columns_y_))};
}

NeighbourGrid::ColumnSpan NeighbourGrid::find_column(std::ptrdiff_t x, std::ptrdiff_t y) const {
    const ColumnSpan none{{x, y}, 0, 0};
    if (x < 0 || y < 0 || x >= static_cast<std::ptrdiff_t>(columns_x_) ||
        y >= static_cast<std::ptrdiff_t>(columns_y_)) {
        return none;
    }
    if (has_table_) {
        const std::size_t first_cell = column_index(x, y) * bins_;
        return {{x, y}, cell_start_[first_cell], cell_start_[first_cell + bins_]};
    }
    const auto found = std::lower_bound(occupied_.begin(), occupied_.end(), Column{x, y},
                                        [](const ColumnSpan& span, const Column& column) {
                                            return span.column.x < column.x ||
                                                   (span.column.x == column.x && span.column.y < column.y);
                                        });
    return found != occupied_.end() && found->column.x == x && found->column.y == y ? *found : none;
}

void NeighbourGrid::bin_atoms(const Bounds& bounds, double width) {
    const auto on_grid = static_cast<std::size_t>(std::count(placement_.begin(), placement_.end(), Placement::OnGrid));
    if (on_grid == 0) return;
    width_ = width;
    origin_x_ = bounds.low[0];
    origin_y_ = bounds.low[1];
    const std::size_t most_cells = kCellsPerAtom * on_grid + kExtraCells;
    for (;;) {
        inverse_width_ = 1.0 / width_;
        columns_x_ = static_cast<std::size_t>(std::floor((bounds.high[0] - bounds.low[0]) / width_)) + 1;
        columns_y_ = static_cast<std::size_t>(std::floor((bounds.high[1] - bounds.low[1]) / width_)) + 1;
        if (columns_x_ * columns_y_ <= most_cells) {
            bin_into_table(bounds, on_grid, most_cells);
            return;
        }
        bin_into_list(on_grid);
        // A cloud too thin to fill its columns is searched ring after ring of
        // empty ones: wider columns serve it better. A clump, however far
        // from the rest, fills its own.
        if (on_grid >= kFewestAtomsPerColumn * occupied_.size()) return;
        occupied_.clear();
        width_ *= 2;
    }
}

void NeighbourGrid::bin_into_table(const Bounds& bounds, std::size_t on_grid, std::size_t most_cells) {
    has_table_ = true;
    const std::size_t columns = columns_x_ * columns_y_;
    // A counting sort by column and z bin. A cluster flat in z to within
    // rounding gets one bin: the bin height must be a normal number for the
    // bin of every atom to be finite.
    const double span_z = bounds.high[2] - bounds.low[2];
    const bool flat = !(span_z >= kThinnestSpan);
    bins_ = flat ? 1 : std::max<std::size_t>(1, most_cells / columns);
    origin_z_ = bounds.low[2];
    inverse_bin_height_ = static_cast<double>(bins_) / span_z;
    const auto cell_of = [&](const Atom& atom) {
        const Column column = column_of(atom.x, atom.y);
        const std::size_t bin = bins_ > 1 ? clamped_floor((atom.z - origin_z_) * inverse_bin_height_, bins_) : 0;
        return static_cast<std::uint32_t>(column_index(column.x, column.y) * bins_ + bin);
    };
    std::vector<std::uint32_t> cell_of_atom(atoms_.size(), 0);
    // Counts land two cells up, so that after the running sum
    // cell_start_[c + 1] is where cell c starts; filling cell c moves that to
    // where it ends, which is where cell c + 1 starts.
    cell_start_.assign(columns * bins_ + 2, 0);
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        if (placement_[i] != Placement::OnGrid) continue;
        cell_of_atom[i] = cell_of(atoms_[i]);
        ++cell_start_[cell_of_atom[i] + 2];
    }
    for (std::size_t cell = 1; cell < cell_start_.size(); ++cell) cell_start_[cell] += cell_start_[cell - 1];
    sorted_.resize(on_grid);
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        if (placement_[i] != Placement::OnGrid) continue;
        const Atom& atom = atoms_[i];
        sorted_[cell_start_[cell_of_atom[i] + 1]++] = Entry{atom.x, atom.y, atom.z, static_cast<std::uint32_t>(i)};
    }
    cell_start_.pop_back();
    occupied_.reserve(std::min(columns, on_grid));
    for (std::size_t column = 0; column < columns; ++column) {
        const std::uint32_t begin = cell_start_[column * bins_];
        const std::uint32_t end = cell_start_[(column + 1) * bins_];
        if (begin == end) continue;
        occupied_.push_back({{static_cast<std::ptrdiff_t>(column / columns_y_),
                              static_cast<std::ptrdiff_t>(column % columns_y_)},
                             begin, end});
    }
}

void NeighbourGrid::bin_into_list(std::size_t on_grid) {
    struct Placed {
        Column column;
        Entry entry;
    };
    std::vector<Placed> placed;
    placed.reserve(on_grid);
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        if (placement_[i] != Placement::OnGrid) continue;
        const Atom& atom = atoms_[i];
        placed.push_back({column_of(atom.x, atom.y), Entry{atom.x, atom.y, atom.z, static_cast<std::uint32_t>(i)}});
    }
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        if (a.column.x != b.column.x) return a.column.x < b.column.x;
        if (a.column.y != b.column.y) return a.column.y < b.column.y;
        return a.entry.z < b.entry.z || (a.entry.z == b.entry.z && a.entry.index < b.entry.index);
    });
    sorted_.resize(on_grid);
    for (std::size_t position = 0; position < on_grid; ++position) {
        sorted_[position] = placed[position].entry;
        const Column column = placed[position].column;
        if (occupied_.empty() || occupied_.back().column.x != column.x || occupied_.back().column.y != column.y) {
            occupied_.push_back({column, static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(position)});
        }
        ++occupied_.back().end;
    }
}

std::ptrdiff_t NeighbourGrid::rings_for(double radius) const {
    // An atom within `radius` lies at most ceil(radius / width) columns away;
    // the slack covers the rounding of column coordinates.
    return static_cast<std::ptrdiff_t>(std::floor(radius / width_ + kColumnSlack)) + 1;
}

bool NeighbourGrid::ring_outside_grid(Column centre, std::ptrdiff_t ring) const {
    return centre.x - ring < 0 && centre.x + ring >= static_cast<std::ptrdiff_t>(columns_x_) && centre.y - ring < 0 &&
           centre.y + ring >= static_cast<std::ptrdiff_t>(columns_y_);
}

NeighbourGrid::ZRange NeighbourGrid::z_range(double z, double window) const {
    ZRange range{z, window, 0, bins_ - 1};
    if (has_table_ && bins_ > 1) {
        // A partner's bin, rounded as its own z was, lies within the window
        // (in bins) of this one; the slack covers the rounding.
        const double position = (z - origin_z_) * inverse_bin_height_;
        const double reach = window * inverse_bin_height_ + kColumnSlack;
        range.first_bin = clamped_floor(position - reach, bins_);
        range.last_bin = clamped_floor(position + reach, bins_);
    }
    return range;
}

std::span<const NeighbourGrid::Entry> NeighbourGrid::candidates(const ColumnSpan& span, const ZRange& range) const {
    const Entry* const begin = sorted_.data() + span.begin;
    const Entry* const end = sorted_.data() + span.end;
    if (has_table_) {
        const std::size_t first_cell = column_index(span.column.x, span.column.y) * bins_;
        return {sorted_.data() + cell_start_[first_cell + range.first_bin],
                sorted_.data() + cell_start_[first_cell + range.last_bin + 1]};
    }
    // Listed columns are sorted by z. Every difference is taken as the
    // reference takes it, so that the window agrees with the distance it
    // stands in for.
    const Entry* const first =
        std::partition_point(begin, end, [&](const Entry& other) { return range.z - other.z > range.window; });
    const Entry* const last =
        std::partition_point(first, end, [&](const Entry& other) { return other.z - range.z <= range.window; });
    return {first, last};
}

bool NeighbourGrid::within_window(const Entry& a, const Entry& b, double window) {
    return std::fabs(a.x - b.x) <= window && std::fabs(a.y - b.y) <= window && std::fabs(a.z - b.z) <= window;
}

template <typename Visit>
bool NeighbourGrid::scan_column(std::size_t index, const ColumnSpan& span, double window, Visit&& visit) const {
    const Atom& atom = atoms_[index];
    const Entry centre{atom.x, atom.y, atom.z, static_cast<std::uint32_t>(index)};
    for (const Entry& other : candidates(span, z_range(atom.z, window))) {
        if (other.index == index || !within_window(centre, other, window)) continue;
        if (visit(other)) return true;
    }
    return false;
}

template <typename Visit>
bool NeighbourGrid::scan_ring(std::size_t index, Column centre, std::ptrdiff_t ring, const double& window,
                              Visit&& visit) const {
    const auto columns_x = static_cast<std::ptrdiff_t>(columns_x_);
    const auto columns_y = static_cast<std::ptrdiff_t>(columns_y_);
    const auto scan = [&](std::ptrdiff_t x, std::ptrdiff_t y) {
        const ColumnSpan span = find_column(x, y);
        return span.begin != span.end && scan_column(index, span, window, visit);
    };
    if (ring == 0) return scan(centre.x, centre.y);
    const std::ptrdiff_t x_from = std::max<std::ptrdiff_t>(centre.x - ring, 0);
    const std::ptrdiff_t x_to = std::min(centre.x + ring, columns_x - 1);
    for (std::ptrdiff_t x = x_from; x <= x_to; ++x) {
        if (centre.y - ring >= 0 && scan(x, centre.y - ring)) return true;
        if (centre.y + ring < columns_y && scan(x, centre.y + ring)) return true;
    }
    const std::ptrdiff_t y_from = std::max<std::ptrdiff_t>(centre.y - ring + 1, 0);
    const std::ptrdiff_t y_to = std::min(centre.y + ring - 1, columns_y - 1);
    for (std::ptrdiff_t y = y_from; y <= y_to; ++y) {
        if (centre.x - ring >= 0 && scan(centre.x - ring, y)) return true;
        if (centre.x + ring < columns_x && scan(centre.x + ring, y)) return true;
    }
    return false;
}

std::size_t NeighbourGrid::count_neighbours_within(std::size_t index, double radius, std::size_t enough) const {
    std::size_t neighbours = 0;
    const auto count = [&](std::size_t other) {
        if (distance(atoms_[index], atoms_[other]) <= radius) ++neighbours;  // false for NaN
        return neighbours >= enough;
    };
    switch (placement_[index]) {
        case Placement::NonFinite:
            return 0;
        case Placement::Far:
            for (std::size_t other = 0; other < atoms_.size(); ++other) {
                if (other != index && count(other)) break;
            }
            return neighbours;
        case Placement::OnGrid:
            break;
    }
    if (neighbours >= enough) return neighbours;
    for (const std::size_t other : far_) {
        if (count(other)) return neighbours;
    }
    const Column centre = column_of(atoms_[index].x, atoms_[index].y);
    const double window = z_window(radius);
    const std::ptrdiff_t rings = rings_for(radius);
    const auto count_entry = [&](const Entry& entry) { return count(entry.index); };
    for (std::ptrdiff_t ring = 0; ring <= rings; ++ring) {
        if (scan_ring(index, centre, ring, window, count_entry)) break;
    }
    return neighbours;
}

bool NeighbourGrid::has_neighbour_within(std::size_t index, double radius) const {
    return count_neighbours_within(index, radius, 1) >= 1;
}

double NeighbourGrid::nearest_distance_below(std::size_t index, double bound) const {
    double nearest = bound;
    const auto measure = [&](std::size_t other) {
        const double d = distance(atoms_[index], atoms_[other]);
        if (d < nearest) nearest = d;  // false for NaN: the minimum keeps its value
    };
    switch (placement_[index]) {
        case Placement::NonFinite:
            return std::numeric_limits<double>::infinity();
        case Placement::Far:
            for (std::size_t other = 0; other < atoms_.size(); ++other) {
                if (other != index) measure(other);
            }
            return nearest;
        case Placement::OnGrid:
            break;
    }
    for (const std::size_t other : far_) measure(other);
    const Column centre = column_of(atoms_[index].x, atoms_[index].y);
    double window = z_window(nearest);
    const auto measure_and_narrow = [&](const Entry& entry) {
        measure(entry.index);
        window = z_window(nearest);
        return false;
    };
    // Without a table, looking up a ring's columns one by one costs more
    // than measuring every atom once the ring has more columns than are
    // occupied: then every atom is measured instead.
    std::size_t columns_looked_up = 0;
    for (std::ptrdiff_t ring = 0;; ++ring) {
        // Atoms `ring` or more columns away are more than ring - 1 widths away.
        if (ring >= 2 && nearest <= (static_cast<double>(ring - 1) - kColumnSlack) * width_) break;
        if (ring_outside_grid(centre, ring)) break;
        columns_looked_up += ring == 0 ? 1 : 8 * static_cast<std::size_t>(ring);
        if (!has_table_ && columns_looked_up > occupied_.size() + kExtraCells) {
            for (const Entry& entry : sorted_) {
                if (entry.index != index) measure(entry.index);
            }
            break;
        }
        scan_ring(index, centre, ring, window, measure_and_narrow);
    }
    return nearest;
}

namespace {

void add_measured_pair(std::span<const Atom> atoms, std::size_t a, std::size_t b, double limit,
                       std::vector<AtomPair>& pairs) {
    const std::size_t first = std::min(a, b);
    const std::size_t second = std::max(a, b);
    const double d = distance(atoms[first], atoms[second]);
    if (d < limit) pairs.push_back({first, second, d});  // false for NaN
}

}  // namespace

void NeighbourGrid::add_pair_if_closer(const Entry& a, const Entry& b, double limit, double window,
                                       std::vector<AtomPair>& pairs) const {
    if (within_window(a, b, window)) add_measured_pair(atoms_, a.index, b.index, limit, pairs);
}

void NeighbourGrid::add_table_column_pairs(const NearColumn& own, std::span<const NearColumn> later_columns,
                                           double limit, double window, std::vector<AtomPair>& pairs) const {
    for (std::uint32_t a = own.span.begin; a < own.span.end; ++a) {
        // Every column has the same bins, so the atom's bins give its
        // candidates in each column at once.
        const ZRange range = z_range(sorted_[a].z, window);
        // Within its own column an atom pairs with those stored after it;
        // each of two close atoms has the other among its candidates, so the
        // pair is found once.
        for (std::uint32_t b = std::max(a + 1, own.bins[range.first_bin]); b < own.bins[range.last_bin + 1]; ++b) {
            add_pair_if_closer(sorted_[a], sorted_[b], limit, window, pairs);
        }
        for (const NearColumn& later : later_columns) {
            for (std::uint32_t b = later.bins[range.first_bin]; b < later.bins[range.last_bin + 1]; ++b) {
                add_pair_if_closer(sorted_[a], sorted_[b], limit, window, pairs);
            }
        }
    }
}

void NeighbourGrid::add_listed_column_pairs(const NearColumn& own, std::span<const NearColumn> later_columns,
                                            double limit, double window, std::vector<AtomPair>& pairs) const {
    for (const Entry* entry = sorted_.data() + own.span.begin; entry != sorted_.data() + own.span.end; ++entry) {
        const ZRange range = z_range(entry->z, window);
        for (const Entry& other : candidates(own.span, range)) {
            if (&other > entry) add_pair_if_closer(*entry, other, limit, window, pairs);
        }
        for (const NearColumn& later : later_columns) {
            for (const Entry& other : candidates(later.span, range)) {
                add_pair_if_closer(*entry, other, limit, window, pairs);
            }
        }
    }
}

NeighbourGrid::NearColumn NeighbourGrid::near_column(const ColumnSpan& span) const {
    if (!has_table_) return {span, nullptr};
    return {span, cell_start_.data() + column_index(span.column.x, span.column.y) * bins_};
}

std::vector<AtomPair> NeighbourGrid::pairs_closer_than(double limit) const {
    std::vector<AtomPair> pairs;
    const double window = z_window(limit);
    const std::ptrdiff_t rings = rings_for(limit);
    std::vector<NearColumn> later_columns;
    for (const ColumnSpan& span : occupied_) {
        // Each unordered pair of columns once: the neighbours that come later.
        later_columns.clear();
        for (std::ptrdiff_t dx = 0; dx <= rings; ++dx) {
            for (std::ptrdiff_t dy = dx == 0 ? 1 : -rings; dy <= rings; ++dy) {
                const ColumnSpan other = find_column(span.column.x + dx, span.column.y + dy);
                if (other.begin != other.end) later_columns.push_back(near_column(other));
            }
        }
        if (has_table_) {
            add_table_column_pairs(near_column(span), later_columns, limit, window, pairs);
        } else {
            add_listed_column_pairs(near_column(span), later_columns, limit, window, pairs);
        }
    }
    for (const std::size_t far : far_) {
        for (std::size_t other = 0; other < atoms_.size(); ++other) {
            // A pair of far atoms is measured once, from its lower index.
            if (other == far || (placement_[other] == Placement::Far && other < far)) continue;
            add_measured_pair(atoms_, far, other, limit, pairs);
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const AtomPair& a, const AtomPair& b) {
        return a.first < b.first || (a.first == b.first && a.second < b.second);
    });
    return pairs;
}

}  // namespace quorv::geometry
