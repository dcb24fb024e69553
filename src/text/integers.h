// Whole texts read as integers. Every reader that takes an integer from text
// (the XYZ header and comment line, the seed after randomSeed, the digits of
// a JSON number, the command's options) reads it here.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv {

// One or more ASCII digits and nothing else, within 0..2^64-1; leading zeros are fine.
std::optional<std::uint64_t> parse_digits(std::string_view digits);

// An optional "+", then digits, within 0..2^64-1.
std::optional<std::uint64_t> parse_unsigned64(std::string_view text);

// An optional "+", then digits, within 0..2^32-1.
std::optional<std::uint32_t> parse_unsigned32(std::string_view text);

// An optional "+" or "-", then digits, within the 64-bit signed range.
std::optional<std::int64_t> parse_signed64(std::string_view text);

}  // namespace quorv
