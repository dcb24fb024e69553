#include "lib/geometry/column_table.h"

namespace quorv::geometry {

namespace {
constexpr unsigned kFewestSlotBits = 4;
// Keys of neighbouring columns differ by one in x or y; the two keys are
// mixed into one number whose top bits, the slot, spread them over the table.
constexpr std::uint64_t kMixX = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kMixY = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kMixAll = 0xD6E8FEB86659FD93ULL;
constexpr unsigned kHalf = 32;
}  // namespace

void ColumnTable::clear() {
    keys_.clear();
    slots_.assign(std::size_t{1} << kFewestSlotBits, kNone);
    shift_ = 64 - kFewestSlotBits;
}

std::size_t ColumnTable::slot_of(ColumnKey key) const {
    std::uint64_t mixed = (static_cast<std::uint64_t>(key.x) * kMixX) ^ (static_cast<std::uint64_t>(key.y) * kMixY);
    mixed ^= mixed >> kHalf;
    mixed *= kMixAll;
    mixed ^= mixed >> kHalf;
    return static_cast<std::size_t>(mixed >> shift_);
}

std::uint32_t ColumnTable::find(ColumnKey key) const {
    if (slots_.empty()) return kNone;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = slot_of(key);; slot = (slot + 1) & mask) {
        const std::uint32_t column = slots_[slot];
        if (column == kNone || keys_[column] == key) return column;
    }
}

std::uint32_t ColumnTable::find_or_add(ColumnKey key) {
    if (slots_.empty()) clear();
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = slot_of(key);
    for (;; slot = (slot + 1) & mask) {
        const std::uint32_t column = slots_[slot];
        if (column == kNone) break;
        if (keys_[column] == key) return column;
    }
    const auto column = static_cast<std::uint32_t>(keys_.size());
    keys_.push_back(key);
    slots_[slot] = column;
    // At most half full, so that a search ends soon on an empty slot.
    if (2 * keys_.size() > slots_.size()) grow();
    return column;
}

void ColumnTable::grow() {
    slots_.assign(2 * slots_.size(), kNone);
    --shift_;
    const std::size_t mask = slots_.size() - 1;
    for (std::uint32_t column = 0; column < keys_.size(); ++column) {
        std::size_t slot = slot_of(keys_[column]);
        while (slots_[slot] != kNone) slot = (slot + 1) & mask;
        slots_[slot] = column;
    }
}

}  // namespace quorv::geometry
