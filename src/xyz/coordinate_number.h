// The number grammar of coordinate tokens.
#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

#include "xyz/short_fixed_point.h"

namespace quorv::xyz {

// Reads a whole token as a number: an optional sign, then either one of the
// words inf, infinity, nan in any letter case, or a decimal (digits with an
// optional point, at least one digit on either side of it, then an optional
// exponent e/E with an optional sign and digits). No hexadecimal, no d
// exponent, no decimal comma. The value is the nearest double, ties to even;
// a value beyond the largest double is an infinity, one below the smallest
// subnormal is a zero, both of the token's sign. Stores the value and
// returns true, or returns false for anything else. (Not an optional: this
// runs for every coordinate, and GCC returns an optional<double> through
// memory in a way that stalls the caller.)
//
// Inline, the usual shape ("-12.345678") read at once; every other token
// goes through the whole grammar.
bool read_coordinate_by_grammar(std::string_view token, double& value);

inline bool read_coordinate(std::string_view token, double& value) {
    // Signs come in no order a branch could guess: the sign is taken off and
    // put back as a bit.
    const bool negative = !token.empty() && token.front() == '-';
    const std::string_view body(token.data() + negative, token.size() - negative);
    double magnitude = 0.0;
    if (!read_short_fixed_point(body, magnitude)) return read_coordinate_by_grammar(token, value);
    value = std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) | (std::uint64_t{negative} << 63));
    return true;
}

}  // namespace quorv::xyz
