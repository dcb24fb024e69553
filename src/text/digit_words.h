// Runs of ASCII digits read eight bytes at a time, without a branch per digit.
// Words hold their first character in the lowest byte (little-endian loads).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quorv::digit_words {

constexpr std::size_t kWordBytes = 8;
constexpr bool kAvailable = std::endian::native == std::endian::little;

constexpr std::uint64_t kEachByte = 0x0101010101010101;
constexpr std::uint64_t kZeroDigits = kEachByte * '0';
constexpr std::uint64_t kHighNibbles = kEachByte * 0xF0;
// 10^0 .. 10^8.
constexpr std::uint64_t kPowersOfTen[kWordBytes + 1] = {1,      10,      100,      1000,     10000,
                                                        100000, 1000000, 10000000, 100000000};

[[gnu::always_inline]] inline std::uint64_t load_word(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, kWordBytes);
    return word;
}

// How many of the word's characters, from the first, are digits (0 to 8).
[[gnu::always_inline]] inline std::size_t leading_digits(std::uint64_t word) {
    // A digit has the high nibble 3, and keeps it when 6 is added. A carry
    // out of a byte only follows a byte that is flagged itself, so the first
    // flagged byte is the first non-digit.
    const std::uint64_t wrong_nibble = (word & kHighNibbles) ^ kZeroDigits;
    const std::uint64_t above_nine = ((word + kEachByte * 6) & kHighNibbles) ^ kZeroDigits;
    const std::uint64_t flagged = wrong_nibble | above_nine;
    return static_cast<std::size_t>(std::countr_zero(flagged)) / 8;
}

// The value of a word of eight digits: pairs, then quads, then the whole.
[[gnu::always_inline]] inline std::uint64_t eight_digits_value(std::uint64_t word) {
    std::uint64_t digits = word - kZeroDigits;
    digits = digits * 10 + (digits >> 8);
    constexpr std::uint64_t kPairs = 0x000000FF000000FF;
    constexpr std::uint64_t kHighPairFactor = 100 + (std::uint64_t{1000000} << 32);
    constexpr std::uint64_t kLowPairFactor = 1 + (std::uint64_t{10000} << 32);
    return ((digits & kPairs) * kHighPairFactor + ((digits >> 16) & kPairs) * kLowPairFactor) >> 32;
}

// The value of the word's first `count` characters (1 to 8), all digits.
[[gnu::always_inline]] inline std::uint64_t leading_digits_value(std::uint64_t word, std::size_t count) {
    // Moved to the end of a word of "0" characters they are eight digits.
    const std::size_t padding = kWordBytes - count;
    return eight_digits_value((word << (8 * padding)) | (padding == 0 ? 0 : kZeroDigits >> (8 * count)));
}

}  // namespace quorv::digit_words
