#include "lib/geometry/dense_grid.h"

#include <limits>

namespace quorv::geometry {

namespace {

// The table may take this many cells per finite atom (plus a few): about
// what the atoms' entries take, so that the index stays small beside the
// cluster; a cluster whose box needs more leaves too much of it empty.
constexpr double kCellsPerAtom = 4;
constexpr double kExtraCells = 64;
// Bins lower than this part of a column's width would make the table larger
// without narrowing any search much.
constexpr double kBinsPerWidth = 16;

struct Bounds {
    double low[3] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::infinity()};
    double high[3] = {-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                      -std::numeric_limits<double>::infinity()};
    std::size_t finite_atoms = 0;
};

Bounds bounds_of(std::span<const Atom> atoms) {
    Bounds bounds;
    for (const Atom& atom : atoms) {
        if (!is_finite(atom)) continue;
        ++bounds.finite_atoms;
        const double coordinates[3] = {atom.x, atom.y, atom.z};
        for (int axis = 0; axis < 3; ++axis) {
            bounds.low[axis] = std::min(bounds.low[axis], coordinates[axis]);
            bounds.high[axis] = std::max(bounds.high[axis], coordinates[axis]);
        }
    }
    return bounds;
}

// How many cells of `keys` lie from `low` to `high`, both keyed by floor.
double cells_spanned(const AxisKeys& keys, double low, double high) {
    return static_cast<double>(keys.key(high) - keys.key(low)) + 1;
}

}  // namespace

std::optional<DenseLayout> DenseLayout::fit(std::span<const Atom> atoms, double width) {
    const Bounds bounds = bounds_of(atoms);
    if (bounds.finite_atoms == 0) return std::nullopt;
    const AxisKeys keys(width);
    for (int axis = 0; axis < 2; ++axis) {
        if (keys.keyed_by_rank(bounds.low[axis]) || keys.keyed_by_rank(bounds.high[axis])) return std::nullopt;
    }
    const double most_cells = kCellsPerAtom * static_cast<double>(bounds.finite_atoms) + kExtraCells;
    const double columns_x = cells_spanned(keys, bounds.low[0], bounds.high[0]);
    const double columns_y = cells_spanned(keys, bounds.low[1], bounds.high[1]);
    if (columns_x * columns_y > most_cells) return std::nullopt;
    const double most_bins = std::floor(most_cells / (columns_x * columns_y));
    // The lowest power of two that cuts the z extent into few enough bins.
    const double extent = bounds.high[2] - bounds.low[2];
    for (double height = column_width_at_least(std::max(width / kBinsPerWidth, extent / most_bins));
         height <= kWidestColumn; height *= 2) {
        const AxisKeys keys_z(height);
        if (keys_z.keyed_by_rank(bounds.low[2]) || keys_z.keyed_by_rank(bounds.high[2])) continue;
        const double bins = cells_spanned(keys_z, bounds.low[2], bounds.high[2]);
        if (bins > most_bins) continue;
        return DenseLayout{width,
                           height,
                           {keys.key(bounds.low[0]), keys.key(bounds.low[1])},
                           keys_z.key(bounds.low[2]),
                           static_cast<std::size_t>(columns_x),
                           static_cast<std::size_t>(columns_y),
                           static_cast<std::size_t>(bins),
                           bounds.low[2],
                           bounds.high[2]};
    }
    return std::nullopt;
}

DenseGrid::DenseGrid(std::span<const Atom> atoms, const DenseLayout& layout)
    : atoms_(atoms),
      layout_(layout),
      keys_x_(layout.width),
      keys_y_(layout.width),
      keys_z_(layout.bin_height) {
    place_atoms();
}

std::size_t DenseGrid::cell_of(const ColumnKey& key, double z) const {
    const auto bin = static_cast<std::size_t>(keys_z_.floor_key(z) - layout_.first_bin);
    return column(static_cast<std::size_t>(key.x - layout_.first_column.x),
                  static_cast<std::size_t>(key.y - layout_.first_column.y))
               .first_cell +
           bin;
}

void DenseGrid::place_atoms() {
    // A counting sort by cell: count, turn the counts into the ends of the
    // cells, then fill each cell from its end, so that it lists its atoms in
    // atom order.
    Buffers& buffers = *buffers_;
    std::vector<std::uint32_t>& start = buffers.cell_start;
    start.assign(layout_.columns_x * layout_.columns_y * layout_.bins + 1, 0);
    std::uint32_t indexed = 0;
    for (const Atom& atom : atoms_) {
        if (!is_finite(atom)) continue;
        ++start[cell_of(key_of(atom), atom.z)];
        ++indexed;
    }
    for (std::size_t cell = 1; cell < start.size(); ++cell) start[cell] += start[cell - 1];
    buffers.entries.resize(indexed);
    for (std::size_t i = atoms_.size(); i-- > 0;) {
        const Atom& atom = atoms_[i];
        if (!is_finite(atom)) continue;
        const ColumnKey key = key_of(atom);
        buffers.entries[--start[cell_of(key, atom.z)]] = entry_of(i, key);
    }
}

std::size_t DenseGrid::reach(double window) const {
    const double widest = static_cast<double>(std::max(layout_.columns_x, layout_.columns_y));
    return static_cast<std::size_t>(std::min(reach_in_columns(window, layout_.width), widest));
}

}  // namespace quorv::geometry
