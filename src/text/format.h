// Message formatting: templates with "{}" holes, and numbers written the way
// messages show them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quorv {

// Replaces each "{}" of the template, in order, with the next argument.
// Surplus holes stay as written; surplus arguments are ignored.
std::string fill(std::string_view message_template, std::initializer_list<std::string_view> args);

std::string decimal(std::int64_t value);
std::string decimal(std::uint64_t value);
inline std::string decimal(std::uint32_t value) { return decimal(std::uint64_t{value}); }

// Wide enough for any sum of 64-bit values the rules add up (electron counts).
__extension__ typedef __int128 Int128;
std::string decimal(Int128 value);

// Fixed-point with exactly `decimals` digits after the point, correctly
// rounded from the double; infinities print as "inf" / "-inf", NaN as "nan".
std::string fixed(double value, int decimals);

// The shortest decimal that reads back as the same double; whole values keep
// a ".0" so that 2.0 shows as "2.0".
std::string shortest(double value);

}  // namespace quorv
