#include "xyz/coordinate_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace quorv::xyz {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower_word) {
    if (text.size() != lower_word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (ascii_lower(text[i]) != lower_word[i]) return false;
    }
    return true;
}

std::optional<double> read_word(std::string_view body) {
    if (equals_ignoring_ascii_case(body, "inf") || equals_ignoring_ascii_case(body, "infinity")) {
        return std::numeric_limits<double>::infinity();
    }
    if (equals_ignoring_ascii_case(body, "nan")) return std::numeric_limits<double>::quiet_NaN();
    return std::nullopt;
}

// Where a decimal's value lies, enough to tell an overflow from an underflow:
// the power of ten of its leading non-zero digit.
struct DecimalShape {
    bool all_zero = true;
    std::int64_t leading_power = 0;
};

// Exponents beyond this are far outside any double; capping keeps the sums
// below from overflowing however many digits the token has.
constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;

// Checks the decimal grammar over the whole text and measures its shape.
std::optional<DecimalShape> scan_decimal(std::string_view body) {
    std::size_t pos = 0;
    std::size_t integer_digits = 0;
    std::size_t fraction_digits = 0;
    std::optional<std::int64_t> first_non_zero_power;
    while (pos < body.size() && is_digit(body[pos])) {
        if (!first_non_zero_power && body[pos] != '0') first_non_zero_power = 0;
        if (first_non_zero_power) ++*first_non_zero_power;
        ++integer_digits;
        ++pos;
    }
    // So far first_non_zero_power counts the integer digits from the leading
    // non-zero one on; its power of ten is one less.
    if (first_non_zero_power) *first_non_zero_power -= 1;
    if (pos < body.size() && body[pos] == '.') {
        ++pos;
        while (pos < body.size() && is_digit(body[pos])) {
            ++fraction_digits;
            if (!first_non_zero_power && body[pos] != '0') {
                first_non_zero_power = -static_cast<std::int64_t>(fraction_digits);
            }
            ++pos;
        }
    }
    if (integer_digits + fraction_digits == 0) return std::nullopt;
    std::int64_t exponent = 0;
    if (pos < body.size() && (body[pos] == 'e' || body[pos] == 'E')) {
        ++pos;
        bool negative = false;
        if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) {
            negative = body[pos] == '-';
            ++pos;
        }
        const std::size_t exponent_start = pos;
        while (pos < body.size() && is_digit(body[pos])) {
            exponent = std::min(exponent * 10 + (body[pos] - '0'), kExponentCap);
            ++pos;
        }
        if (pos == exponent_start) return std::nullopt;
        if (negative) exponent = -exponent;
    }
    if (pos != body.size()) return std::nullopt;
    DecimalShape shape;
    if (first_non_zero_power) {
        shape.all_zero = false;
        shape.leading_power = std::clamp(*first_non_zero_power, -kExponentCap, kExponentCap) + exponent;
    }
    return shape;
}

}  // namespace

std::optional<double> read_coordinate(std::string_view token) {
    bool negative = false;
    std::string_view body = token;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    if (auto word = read_word(body)) return std::copysign(*word, negative ? -1.0 : 1.0);

    const auto shape = scan_decimal(body);
    if (!shape) return std::nullopt;
    double magnitude = 0.0;
    const auto [end, error] =
        std::from_chars(body.data(), body.data() + body.size(), magnitude, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone when it leaves the double range:
        // past the largest double it is infinity, below the smallest subnormal zero.
        magnitude = (!shape->all_zero && shape->leading_power >= 0) ? std::numeric_limits<double>::infinity()
                                                                     : 0.0;
    } else if (error != std::errc{} || end != body.data() + body.size()) {
        return std::nullopt;  // unreachable after the grammar check; kept as a guard
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace quorv::xyz
