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

// Exponents and digit counts beyond this are far outside any double; capping
// them keeps the sums below from overflowing however long the token is.
constexpr std::int64_t kMagnitudeCap = std::int64_t{1} << 40;

std::int64_t capped(std::size_t count) {
    return static_cast<std::int64_t>(std::min<std::size_t>(count, kMagnitudeCap));
}

// Checks the decimal grammar over the whole text and measures its shape.
std::optional<DecimalShape> scan_decimal(std::string_view body) {
    std::size_t pos = 0;
    const auto take_digits = [&] {
        const std::size_t start = pos;
        while (pos < body.size() && is_digit(body[pos])) ++pos;
        return body.substr(start, pos - start);
    };
    const std::string_view integer_part = take_digits();
    std::string_view fraction_part;
    if (pos < body.size() && body[pos] == '.') {
        ++pos;
        fraction_part = take_digits();
    }
    if (integer_part.empty() && fraction_part.empty()) return std::nullopt;

    std::int64_t exponent = 0;
    if (pos < body.size() && (body[pos] == 'e' || body[pos] == 'E')) {
        ++pos;
        const bool negative = pos < body.size() && body[pos] == '-';
        if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) ++pos;
        const std::string_view exponent_digits = take_digits();
        if (exponent_digits.empty()) return std::nullopt;
        for (char c : exponent_digits) exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), kMagnitudeCap);
        if (negative) exponent = -exponent;
    }
    if (pos != body.size()) return std::nullopt;

    DecimalShape shape;
    if (const std::size_t lead = integer_part.find_first_not_of('0'); lead != std::string_view::npos) {
        shape.all_zero = false;
        shape.leading_power = capped(integer_part.size() - lead - 1) + exponent;
    } else if (const std::size_t lead = fraction_part.find_first_not_of('0'); lead != std::string_view::npos) {
        shape.all_zero = false;
        shape.leading_power = -capped(lead + 1) + exponent;
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
