// Element symbols are one upper-case ASCII letter and at most one lower-case
// one. Each text of that form has a slot of its own, so that a table with a
// row per slot answers a lookup by symbol with one read; every other text
// (empty, longer, another case, a blank, a digit) has the one slot past them.
// The comparison is thereby exact: whole text, case-sensitive.
#pragma once

#include <cstddef>
#include <string_view>

namespace quorv {

inline constexpr std::size_t kSecondLetters = 27;  // none, then a..z
inline constexpr std::size_t kSymbolSlots = 26 * kSecondLetters;
inline constexpr std::size_t kNoSymbolSlot = kSymbolSlots;

constexpr std::size_t symbol_slot(std::string_view symbol) {
    // Unsigned differences wrap around, so each range test is one comparison.
    const std::size_t size = symbol.size();
    if (size - 1 > 1) return kNoSymbolSlot;  // empty or longer than two
    const std::size_t first = static_cast<unsigned char>(symbol[0]) - std::size_t{'A'};
    const std::size_t second = size == 2 ? static_cast<unsigned char>(symbol[1]) - std::size_t{'a'} + 1 : 0;
    const bool is_symbol = first < 26 && (size == 1 || second - 1 < 26);
    return is_symbol ? first * kSecondLetters + second : kNoSymbolSlot;
}

}  // namespace quorv
