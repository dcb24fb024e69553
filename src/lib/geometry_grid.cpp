#include "lib/geometry_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quorv {

namespace {

using geometry_reference::AtomPair;
using geometry_reference::distance;

// On-grid atoms lie within this many ångström of the cluster's middle in
// every coordinate. With columns at least 1 Å wide, every column coordinate
// stays below 2^31, where the rounding of (x - origin) / width is below 1e-6
// of a column.
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
// cells, split along z, sorts each column all but completely.
constexpr std::size_t kCellsPerAtom = 2;
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
    Bounds bounds{{0, 0, 0}, {0, 0, 0}};
    const auto measure_bounds = [&] {
        bool first = true;
        for (std::size_t i = 0; i < count; ++i) {
            if (placement_[i] != Placement::OnGrid) continue;
            const double coordinates[3] = {atoms_[i].x, atoms_[i].y, atoms_[i].z};
            for (int axis = 0; axis < 3; ++axis) {
                if (first || coordinates[axis] < bounds.low[axis]) bounds.low[axis] = coordinates[axis];
                if (first || coordinates[axis] > bounds.high[axis]) bounds.high[axis] = coordinates[axis];
            }
            first = false;
        }
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (is_finite(atoms_[i])) placement_[i] = finite;
    }
    measure_bounds();
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
        measure_bounds();
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (placement_[i] == Placement::Far) far_.push_back(i);
    }
    return bounds;
}

NeighbourGrid::Column NeighbourGrid::column_of(const Atom& atom) const {
    // Rounding is monotone, so atoms keep their order along x and y; clamping
    // keeps it too, and cannot separate two atoms by more columns than before.
    const double x = std::floor((atom.x - origin_x_) / width_);
    const double y = std::floor((atom.y - origin_y_) / width_);
    const auto clamp = [](double value, std::size_t columns) {
        return static_cast<std::ptrdiff_t>(std::clamp(value, 0.0, static_cast<double>(columns - 1)));
    };
    return {clamp(x, columns_x_), clamp(y, columns_y_)};
}

NeighbourGrid::ColumnSpan NeighbourGrid::find_column(std::ptrdiff_t x, std::ptrdiff_t y) const {
    const ColumnSpan none{{x, y}, 0, 0};
    if (x < 0 || y < 0 || x >= static_cast<std::ptrdiff_t>(columns_x_) ||
        y >= static_cast<std::ptrdiff_t>(columns_y_)) {
        return none;
    }
    if (has_table_) {
        const std::size_t column = static_cast<std::size_t>(x) * columns_y_ + static_cast<std::size_t>(y);
        return {{x, y}, column_start_[column], column_start_[column + 1]};
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
    // A counting sort by column and z bin, then each cell by z: the bins
    // rise with z, so every column ends up sorted by z. A cluster flat in z
    // to within rounding gets one bin: the bin height must be a normal number
    // for the bin of every atom to be finite.
    const double span_z = bounds.high[2] - bounds.low[2];
    const bool flat = !(span_z >= kThinnestSpan);
    const std::size_t bins = flat ? 1 : std::max<std::size_t>(1, most_cells / columns);
    const double bin_height = span_z / static_cast<double>(bins);
    const auto cell_of = [&](const Atom& atom) {
        const Column column = column_of(atom);
        std::size_t bin = 0;
        if (bins > 1) {
            const double position = std::floor((atom.z - bounds.low[2]) / bin_height);
            bin = static_cast<std::size_t>(std::clamp(position, 0.0, static_cast<double>(bins - 1)));
        }
        const std::size_t index = static_cast<std::size_t>(column.x) * columns_y_ + static_cast<std::size_t>(column.y);
        return static_cast<std::uint32_t>(index * bins + bin);
    };
    std::vector<std::uint32_t> cell_of_atom(atoms_.size(), 0);
    std::vector<std::uint32_t> cell_end(columns * bins, 0);
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        if (placement_[i] != Placement::OnGrid) continue;
        cell_of_atom[i] = cell_of(atoms_[i]);
        ++cell_end[cell_of_atom[i]];
    }
    std::uint32_t total = 0;
    for (std::uint32_t& cell : cell_end) {
        total += cell;
        cell = total - cell;  // for now the start: it becomes the end as the cell fills
    }
    sorted_.resize(on_grid);
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        if (placement_[i] != Placement::OnGrid) continue;
        const Atom& atom = atoms_[i];
        sorted_[cell_end[cell_of_atom[i]]++] = Entry{atom.x, atom.y, atom.z, static_cast<std::uint32_t>(i)};
    }
    const auto by_z = [](const Entry& a, const Entry& b) { return a.z < b.z || (a.z == b.z && a.index < b.index); };
    column_start_.assign(columns + 1, 0);
    std::uint32_t begin = 0;
    for (std::size_t column = 0; column < columns; ++column) {
        column_start_[column] = begin;
        for (std::size_t cell = column * bins; cell < (column + 1) * bins; ++cell) {
            const std::uint32_t end = cell_end[cell];
            if (end - begin > 1) std::sort(sorted_.begin() + begin, sorted_.begin() + end, by_z);
            begin = end;
        }
        if (begin > column_start_[column]) {
            occupied_.push_back({{static_cast<std::ptrdiff_t>(column / columns_y_),
                                  static_cast<std::ptrdiff_t>(column % columns_y_)},
                                 column_start_[column], begin});
        }
    }
    column_start_[columns] = static_cast<std::uint32_t>(on_grid);
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
        placed.push_back({column_of(atom), Entry{atom.x, atom.y, atom.z, static_cast<std::uint32_t>(i)}});
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

template <typename Visit>
bool NeighbourGrid::scan_column(std::size_t index, const ColumnSpan& span, double window, Visit&& visit) const {
    const Atom& atom = atoms_[index];
    const Entry* const begin = sorted_.data() + span.begin;
    const Entry* const end = sorted_.data() + span.end;
    // Every difference is taken as the reference takes it, so that the window
    // agrees with the distance it stands in for.
    const Entry* at = std::partition_point(begin, end, [&](const Entry& other) { return atom.z - other.z > window; });
    for (; at != end && at->z - atom.z <= window; ++at) {
        if (at->index == index || std::fabs(atom.x - at->x) > window || std::fabs(atom.y - at->y) > window) continue;
        if (visit(*at)) return true;
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
    const Column centre = column_of(atoms_[index]);
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
    const Column centre = column_of(atoms_[index]);
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
    if (std::fabs(a.x - b.x) > window || std::fabs(a.y - b.y) > window) return;
    add_measured_pair(atoms_, a.index, b.index, limit, pairs);
}

void NeighbourGrid::add_column_pairs(const ColumnSpan& span, double limit, double window,
                                     std::vector<AtomPair>& pairs) const {
    for (std::size_t a = span.begin; a < span.end; ++a) {
        for (std::size_t b = a + 1; b < span.end && sorted_[b].z - sorted_[a].z <= window; ++b) {
            add_pair_if_closer(sorted_[a], sorted_[b], limit, window, pairs);
        }
    }
}

void NeighbourGrid::add_cross_column_pairs(const ColumnSpan& first, const ColumnSpan& second, double limit,
                                           double window, std::vector<AtomPair>& pairs) const {
    // As z rises through the first column, the window over the second one
    // only moves up: both of its ends advance monotonically.
    std::size_t low = second.begin;
    std::size_t high = second.begin;
    for (std::size_t a = first.begin; a < first.end; ++a) {
        const double z = sorted_[a].z;
        while (low < second.end && z - sorted_[low].z > window) ++low;
        if (high < low) high = low;
        while (high < second.end && sorted_[high].z - z <= window) ++high;
        for (std::size_t b = low; b < high; ++b) add_pair_if_closer(sorted_[a], sorted_[b], limit, window, pairs);
    }
}

std::vector<AtomPair> NeighbourGrid::pairs_closer_than(double limit) const {
    std::vector<AtomPair> pairs;
    const double window = z_window(limit);
    const std::ptrdiff_t rings = rings_for(limit);
    for (const ColumnSpan& span : occupied_) {
        add_column_pairs(span, limit, window, pairs);
        // Each unordered pair of columns once: the neighbours that come later.
        for (std::ptrdiff_t dx = 0; dx <= rings; ++dx) {
            for (std::ptrdiff_t dy = dx == 0 ? 1 : -rings; dy <= rings; ++dy) {
                const ColumnSpan other = find_column(span.column.x + dx, span.column.y + dy);
                if (other.begin != other.end) add_cross_column_pairs(span, other, limit, window, pairs);
            }
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

}  // namespace quorv
