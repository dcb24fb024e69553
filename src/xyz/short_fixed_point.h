// The usual shape of a coordinate ("51.212307", "-0.50000000"): digits, a
// point and one to eight digits, sixteen bytes at most.
//
// The integer digits (one or two, as a rule) are read in a loop; the
// fraction digits, when the token is at least eight bytes long, as one word:
// the last eight bytes of the token, those before the fraction made "0",
// give their value in three multiplications. The two chains of work are
// independent, and neither grows with the other's length.
//
// The digits make a mantissa below 10^15, exact as a double, and the divisor
// is a power of ten up to 10^8, exact too: the one division rounds once, to
// the nearest double, ties to even, as the general reading does.
//
// Inline: it runs for every coordinate of every atom line.
#pragma once

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/digit_words.h"

namespace quorv::xyz {

namespace short_fixed_point_detail {

static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must round to double after every operation");

using digit_words::kEachByte;
using digit_words::kWordBytes;
using digit_words::kZeroDigits;

// Up to 15 digits (and the point): below 10^15 < 2^53.
constexpr std::size_t kMostBytes = 16;
constexpr std::size_t kMostFractionDigits = kWordBytes;
constexpr double kExactScales[kMostFractionDigits + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// The value of an ASCII digit, or more than 9 for any other byte.
inline unsigned digit_value(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; }

// Whether every byte of a word is an ASCII digit. A digit becomes 0..9 and
// anything else 10 or more, which adding 0x76 carries into the top bit (or
// the top bit is set already); a carry out of a byte only follows a byte
// that is flagged itself.
inline bool all_digits(std::uint64_t word) {
    const std::uint64_t values = word ^ kZeroDigits;
    return (((values + kEachByte * 0x76) | values) & (kEachByte * 0x80)) == 0;
}

// The value of the last `count` (1..8) bytes of the eight at `last_eight`,
// or false when one of them is no digit: the bytes before them made "0",
// the word is eight digits.
inline bool fraction_value(const char* last_eight, std::size_t count, std::uint64_t& value) {
    const std::uint64_t fraction_bytes = ~std::uint64_t{0} << (8 * (kWordBytes - count));
    const std::uint64_t word = (digit_words::load_word(last_eight) & fraction_bytes) | (kZeroDigits & ~fraction_bytes);
    if (!all_digits(word)) return false;
    value = digit_words::eight_digits_value(word);
    return true;
}

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
    std::uint64_t integer = 0;
    std::size_t at = 0;
    for (; at < size && digit_value(body[at]) <= 9; ++at) integer = integer * 10 + digit_value(body[at]);
    if (at == 0 || at == size || body[at] != '.') return false;
    const std::size_t fraction_digits = size - at - 1;
    if (fraction_digits == 0 || fraction_digits > kMostFractionDigits) return false;
    std::uint64_t fraction = 0;
    if (digit_words::kAvailable && size >= kWordBytes) {
        if (!fraction_value(body.data() + size - kWordBytes, fraction_digits, fraction)) return false;
    } else {
        for (++at; at < size; ++at) {
            const unsigned digit = digit_value(body[at]);
            if (digit > 9) return false;
            fraction = fraction * 10 + digit;
        }
    }
    magnitude = static_cast<double>(integer * digit_words::kPowersOfTen[fraction_digits] + fraction) /
                kExactScales[fraction_digits];
    return true;
}

}  // namespace quorv::xyz
