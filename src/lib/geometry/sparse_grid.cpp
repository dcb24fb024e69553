#include "lib/geometry/sparse_grid.h"

namespace quorv::geometry {

namespace {

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

}  // namespace

SparseGrid::SparseGrid(std::span<const Atom> atoms, double width)
    : atoms_(atoms), width_(width), keys_x_(width), keys_y_(width) {
    place_atoms();
}

void SparseGrid::place_atoms() {
    Buffers& buffers = *buffers_;
    // Coordinates keyed by rank are rare; a first pass finds them.
    buffers.ranked_x.clear();
    buffers.ranked_y.clear();
    for (const Atom& atom : atoms_) {
        if (!is_finite(atom)) continue;
        if (keys_x_.keyed_by_rank(atom.x)) buffers.ranked_x.push_back(atom.x);
        if (keys_y_.keyed_by_rank(atom.y)) buffers.ranked_y.push_back(atom.y);
    }
    keys_x_.rank(buffers.ranked_x);
    keys_y_.rank(buffers.ranked_y);

    // A counting sort by column: count, turn the counts into the ends of
    // the columns, then fill each column from its end.
    buffers.columns.clear();
    buffers.column_of_atom.resize(atoms_.size());
    std::vector<std::uint32_t>& start = buffers.column_start;
    start.clear();
    std::uint32_t indexed = 0;
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        const Atom& atom = atoms_[i];
        std::uint32_t column = ColumnTable::kNone;
        if (is_finite(atom)) {
            column = buffers.columns.find_or_add(key_of(atom));
            if (column == start.size()) start.push_back(0);
            ++start[column];
            ++indexed;
        }
        buffers.column_of_atom[i] = column;
    }
    for (std::size_t column = 1; column < start.size(); ++column) start[column] += start[column - 1];
    start.push_back(indexed);
    buffers.entries.resize(indexed);
    for (std::size_t i = atoms_.size(); i-- > 0;) {
        const std::uint32_t column = buffers.column_of_atom[i];
        if (column != ColumnTable::kNone) buffers.entries[--start[column]] = entry_of(i, buffers.columns.key(column));
    }
    for (std::size_t column = 0; column + 1 < start.size(); ++column) {
        sort_by_z(std::span(buffers.entries).subspan(start[column], start[column + 1] - start[column]));
    }
}

GridEntry SparseGrid::entry_of(std::size_t index, const ColumnKey& key) const {
    const Atom& atom = atoms_[index];
    return {atom.z, static_cast<std::uint32_t>(index), keys_x_.step_in_cell(atom.x, key.x),
            keys_y_.step_in_cell(atom.y, key.y)};
}

std::span<const GridEntry> SparseGrid::run_within(const Column& column, double z, double window) const {
    const GridEntry* const begin = buffers_->entries.data() + column.begin;
    const GridEntry* const end = buffers_->entries.data() + column.end;
    // Each difference is taken as the reference takes it, so that the window
    // agrees with the distance it stands in for.
    const GridEntry* const first =
        std::partition_point(begin, end, [&](const GridEntry& other) { return z - other.z > window; });
    const GridEntry* const last =
        std::partition_point(first, end, [&](const GridEntry& other) { return other.z - z <= window; });
    return {first, last};
}

}  // namespace quorv::geometry
