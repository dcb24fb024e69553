// The occupied columns of a grid, found by their cell keys in x and y with
// an open-addressing hash table: empty space costs nothing, however far
// apart the atoms lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorv::geometry {

struct ColumnKey {
    std::int64_t x;
    std::int64_t y;
    friend bool operator==(const ColumnKey&, const ColumnKey&) = default;
};

class ColumnTable {
public:
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};

    // Forgets every column, keeping the memory for the next grid.
    void clear();

    // The column's number (0, 1, ... in order of first appearance), added when new.
    std::uint32_t find_or_add(ColumnKey key);
    // The column's number, or kNone.
    std::uint32_t find(ColumnKey key) const;

    std::size_t size() const { return keys_.size(); }
    const ColumnKey& key(std::uint32_t column) const { return keys_[column]; }

    // The memory it holds.
    std::size_t bytes() const {
        return keys_.capacity() * sizeof(ColumnKey) + slots_.capacity() * sizeof(std::uint32_t);
    }

private:
    std::size_t slot_of(ColumnKey key) const;
    void grow();

    std::vector<ColumnKey> keys_;       // by column number
    std::vector<std::uint32_t> slots_;  // a column number or kNone; size a power of two
    unsigned shift_ = 64;               // 64 - log2(slots_.size())
};

}  // namespace quorv::geometry
