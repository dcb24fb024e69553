// Whole texts read as integers: an optional sign, then ASCII digits only.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv::xyz {

// An optional "+", then one or more ASCII digits, within 0..2^64-1. Leading
// zeros are fine; anything else (a "-", blanks, a point) is absent.
std::optional<std::uint64_t> read_unsigned64(std::string_view text);

// As read_unsigned64, within 0..2^32-1.
std::optional<std::uint32_t> read_unsigned32(std::string_view text);

// An optional "+" or "-", then one or more ASCII digits, within the 64-bit
// signed range.
std::optional<std::int64_t> read_signed64(std::string_view text);

}  // namespace quorv::xyz
