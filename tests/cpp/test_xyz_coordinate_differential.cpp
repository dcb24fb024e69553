// The coordinate reader's fast paths against std::from_chars on many
// generated decimal tokens: the same double, bit for bit.
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "check.h"
#include "xyz/coordinate_number.h"

namespace {

// A token in the decimal grammar: sign, digits, optional point, optional exponent.
std::string random_decimal(std::mt19937_64& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint64_t>(n)); };
    std::string token;
    if (pick(3) == 0) token += pick(2) == 0 ? '-' : '+';
    const int integer_digits = pick(4) == 0 ? pick(20) : pick(4);
    const int fraction_digits = pick(4) == 0 ? pick(24) : pick(9);
    for (int i = 0; i < integer_digits; ++i) token += static_cast<char>('0' + pick(10));
    if (fraction_digits > 0 || integer_digits == 0 || pick(2) == 0) token += '.';
    for (int i = 0; i < fraction_digits; ++i) token += static_cast<char>('0' + pick(10));
    if (integer_digits == 0 && fraction_digits == 0) token += '5';
    if (pick(5) == 0) {
        token += pick(2) == 0 ? 'e' : 'E';
        if (pick(2) == 0) token += pick(2) == 0 ? '-' : '+';
        token += std::to_string(pick(4) == 0 ? pick(400) : pick(30));
    }
    return token;
}

// The nearest double by from_chars, with out-of-range mapped the way the
// reader maps it: huge to infinity, tiny to zero, keeping the sign.
double expected_value(const std::string& token) {
    const char* begin = token.data();
    if (*begin == '+') ++begin;
    double value = 0;
    auto result = std::from_chars(begin, token.data() + token.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool negative = token[0] == '-';
        // A value out of range is either beyond the largest double or below the smallest subnormal.
        const bool huge = token.find_first_of("eE") == std::string::npos ||
                          token[token.find_first_of("eE") + 1] != '-';
        value = huge ? HUGE_VAL : 0.0;
        if (negative) value = -value;
    }
    return value;
}

}  // namespace

TEST(coordinate_reader_matches_from_chars_bit_for_bit) {
    std::mt19937_64 rng(20261207);
    int mismatches = 0;
    for (int i = 0; i < 300000; ++i) {
        const std::string token = random_decimal(rng);
        double value = 0;
        const bool read = quorv::xyz::read_coordinate(token, value);
        const double expected = expected_value(token);
        if (!read || std::bit_cast<std::uint64_t>(value) != std::bit_cast<std::uint64_t>(expected)) {
            if (++mismatches <= 5) CHECK_EQ(token + (read ? " read" : " rejected"), std::string("a match"));
        }
    }
    CHECK_EQ(mismatches, 0);
}
