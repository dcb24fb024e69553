// The usual shape of a coordinate, read without a loop over its bytes.
//
// Eight bytes at a time: the integer part sits at the end of the first
// eight bytes and the fraction at the end of the last eight, and each,
// moved to the end of a word of "0" characters, is eight digits whose value
// three multiplications give. Nothing depends on how long the parts are, so
// no branch guesses wrong over a column of numbers of varying width.
//
// The digits make a mantissa below 10^15, exact as a double, and the divisor
// is a power of ten up to 10^8, exact too: the one division rounds once, to
// the nearest double, ties to even, as the general reading does.
//
// Inline: it runs for every coordinate of every atom line.
#pragma once

#include <bit>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quorv::xyz {

namespace short_fixed_point_detail {

static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must round to double after every operation");

constexpr std::size_t kWordBytes = 8;
constexpr std::uint64_t kEachByte = 0x0101010101010101;
constexpr std::uint64_t kZeroDigits = kEachByte * '0';
// 10^0 .. 10^8, as integers and as (exact) doubles.
constexpr std::uint64_t kScales[kWordBytes + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
constexpr double kExactScales[kWordBytes + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

inline std::uint64_t load_word(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, kWordBytes);
    return word;
}

// The lowest `count` bytes (0 to 8) of a word, which hold its first
// `count` characters.
inline std::uint64_t first_bytes(std::size_t count) {
    return count == 0 ? 0 : ~std::uint64_t{0} >> (8 * (kWordBytes - count));
}

inline bool all_digits(std::uint64_t word) {
    // A digit becomes 0..9 and anything else 10 or more, which adding 0x76
    // carries into the top bit (or the top bit is set already). A carry out
    // of a byte only follows a byte that is flagged itself.
    const std::uint64_t values = word ^ kZeroDigits;
    return (((values + kEachByte * 0x76) | values) & (kEachByte * 0x80)) == 0;
}

// The value of eight ASCII digits, the first in the lowest byte: pairs,
// then quads, then the whole.
inline std::uint64_t eight_digit_value(std::uint64_t word) {
    std::uint64_t digits = word - kZeroDigits;
    digits = digits * 10 + (digits >> 8);
    constexpr std::uint64_t kPairs = 0x000000FF000000FF;
    constexpr std::uint64_t kHighPairFactor = 100 + (std::uint64_t{1000000} << 32);
    constexpr std::uint64_t kLowPairFactor = 1 + (std::uint64_t{10000} << 32);
    return ((digits & kPairs) * kHighPairFactor + ((digits >> 16) & kPairs) * kLowPairFactor) >> 32;
}

// `count` digits (0 to 8) at the end of `word`, with "0" characters before them.
inline std::uint64_t last_digits_padded(std::uint64_t word, std::size_t count) {
    const std::uint64_t padding = first_bytes(kWordBytes - count);
    return (word & ~padding) | (kZeroDigits & padding);
}

}  // namespace short_fixed_point_detail

// Reads an unsigned decimal of 8 to 16 bytes with a point among its first
// eight and at most eight digits after it ("51.212307", "0.50000000"):
// stores the nearest double and returns true. Returns false, storing
// nothing, for any other text, which then needs the general grammar. The
// value is the one the general reading gives, bit for bit.
inline bool read_short_fixed_point(std::string_view body, double& magnitude) {
    using namespace short_fixed_point_detail;
    // The words are read with the first character in the lowest byte.
    if (std::endian::native != std::endian::little) return false;
    if (body.size() < kWordBytes || body.size() > 2 * kWordBytes) return false;
    // Both words lie inside the text: together they cover it.
    const std::uint64_t head = load_word(body.data());
    const std::uint64_t tail = load_word(body.data() + body.size() - kWordBytes);

    // The first zero byte of head ^ "........" marks the first point.
    const std::uint64_t points = head ^ (kEachByte * '.');
    const std::uint64_t first_point = (points - kEachByte) & ~points & (kEachByte * 0x80);
    if (first_point == 0) return false;
    const std::size_t integer_digits = static_cast<std::size_t>(std::countr_zero(first_point)) / 8;
    const std::size_t fraction_digits = body.size() - integer_digits - 1;
    if (fraction_digits > kWordBytes) return false;

    // Shifting the first bytes of head up puts the integer digits at its end.
    const std::uint64_t integer_word =
        integer_digits == 0 ? kZeroDigits
                            : last_digits_padded(head << (8 * (kWordBytes - integer_digits)), integer_digits);
    const std::uint64_t fraction_word = last_digits_padded(tail, fraction_digits);
    // With the point found first, every other byte must be a digit.
    if (!all_digits(integer_word) || !all_digits(fraction_word)) return false;

    const std::uint64_t mantissa =
        eight_digit_value(integer_word) * kScales[fraction_digits] + eight_digit_value(fraction_word);
    magnitude = static_cast<double>(mantissa) / kExactScales[fraction_digits];
    return true;
}

}  // namespace quorv::xyz
