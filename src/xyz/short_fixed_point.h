// The usual shape of a coordinate ("51.212307", "0.50000000"), read in one
// pass over its digits.
//
// The digits make a mantissa below 10^15, exact as a double, and the divisor
// is a power of ten up to 10^8, exact too: the one division rounds once, to
// the nearest double, ties to even, as the general reading does.
//
// A plain loop: a column of numbers written to one format gives its
// branches the same way every time, and measured in the frame reader it
// beat reading eight bytes at a time (which paid for its shifts and masks
// on every number), also on numbers of varying width.
//
// Inline: it runs for every coordinate of every atom line.
#pragma once

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorv::xyz {

namespace short_fixed_point_detail {

static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must round to double after every operation");

// Up to 15 digits (and the point): below 10^15 < 2^53.
constexpr std::size_t kMostBytes = 16;
constexpr std::size_t kMostFractionDigits = 8;
constexpr double kExactScales[kMostFractionDigits + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// The value of an ASCII digit, or more than 9 for any other byte.
inline unsigned digit_value(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; }

}  // namespace short_fixed_point_detail

// Reads an unsigned decimal of at most 16 bytes, with at least one digit
// before its point and one to eight after it: stores the nearest double and
// returns true. Returns false, storing nothing, for any other text, which
// then needs the general grammar. The value is the one the general reading
// gives, bit for bit.
inline bool read_short_fixed_point(std::string_view body, double& magnitude) {
    using namespace short_fixed_point_detail;
    const std::size_t size = body.size();
    if (size > kMostBytes) return false;
    std::uint64_t mantissa = 0;
    std::size_t at = 0;
    for (; at < size && digit_value(body[at]) <= 9; ++at) mantissa = mantissa * 10 + digit_value(body[at]);
    if (at == 0 || at == size || body[at] != '.') return false;
    const std::size_t fraction_digits = size - at - 1;
    if (fraction_digits == 0 || fraction_digits > kMostFractionDigits) return false;
    for (++at; at < size; ++at) {
        const unsigned digit = digit_value(body[at]);
        if (digit > 9) return false;
        mantissa = mantissa * 10 + digit;
    }
    magnitude = static_cast<double>(mantissa) / kExactScales[fraction_digits];
    return true;
}

}  // namespace quorv::xyz
