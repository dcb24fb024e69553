// The count line of a frame: the atom count, white space around it allowed,
// an optional "+", digits, within 64 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "text/ascii.h"
#include "text/integers.h"
#include "text/white_space.h"

namespace quorv::xyz {

// The shortest atom line, "H 0 0 0", with its line feed: no text can hold
// more atoms than its bytes divided by this (plus a last line without a
// line feed), whatever its count line declares.
inline constexpr std::size_t kShortestAtomLineBytes = 8;

inline std::uint64_t most_atoms_in(std::size_t bytes) { return (bytes + 1) / kShortestAtomLineBytes; }

// Inline, with the usual line (digits alone) read at once: it runs for
// every frame of a trajectory.
inline std::optional<std::uint64_t> read_count_line(std::string_view line) {
    constexpr std::size_t kDigitsThatFit = 19;  // below 10^19, within 64 bits
    if (!line.empty() && line.size() <= kDigitsThatFit) {
        std::uint64_t count = 0;
        bool digits = true;
        for (const char c : line) {
            digits = digits && is_ascii_digit(c);
            count = count * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (digits) return count;
    }
    return parse_unsigned64(trim_white_space(line));
}

}  // namespace quorv::xyz
