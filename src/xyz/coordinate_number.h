// The number grammar of coordinate tokens.
#pragma once

#include <string_view>

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
bool read_coordinate(std::string_view token, double& value);

}  // namespace quorv::xyz
