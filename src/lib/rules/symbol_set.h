// A set of symbol texts for exact membership tests that allocates nothing
// for symbols of element shape (one upper-case letter, at most one
// lower-case one): those are bits by their slot (lib/symbol_slot.h). Any
// other text goes into a hashed set, made only when there is one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "lib/symbol_slot.h"

namespace quorv {

class SymbolSet {
public:
    explicit SymbolSet(std::span<const std::string> symbols) {
        for (const std::string& symbol : symbols) {
            const std::size_t slot = symbol_slot(symbol);
            if (slot == kNoSymbolSlot) {
                others_.insert(symbol);
            } else {
                in_slot_[slot / 64] |= std::uint64_t{1} << (slot % 64);
            }
        }
    }

    // `slot` is symbol_slot(symbol), for callers that have it already.
    bool contains(std::string_view symbol, std::size_t slot) const {
        if (slot == kNoSymbolSlot) return !others_.empty() && others_.contains(symbol);
        return (in_slot_[slot / 64] >> (slot % 64) & 1) != 0;
    }
    bool contains(std::string_view symbol) const { return contains(symbol, symbol_slot(symbol)); }

private:
    std::array<std::uint64_t, (kSymbolSlots + 63) / 64> in_slot_{};
    std::unordered_set<std::string_view> others_;  // views of the texts given
};

}  // namespace quorv
