#include "xyz/coordinate_number.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "text/ascii.h"

namespace quorv::xyz {

namespace {

std::optional<double> read_word(std::string_view body) {
    if (equals_ignoring_ascii_case(body, "inf") || equals_ignoring_ascii_case(body, "infinity")) {
        return std::numeric_limits<double>::infinity();
    }
    if (equals_ignoring_ascii_case(body, "nan")) return std::numeric_limits<double>::quiet_NaN();
    return std::nullopt;
}

// A decimal token taken apart by its grammar: the digits on either side of
// the point, the written exponent, and the digits read as one integer while
// they were scanned (only meaningful for kMostMantissaDigits digits or fewer).
struct DecimalParts {
    std::string_view integer_digits;
    std::string_view fraction_digits;
    std::int64_t exponent = 0;
    std::uint64_t mantissa = 0;
};

// So many digits cannot overflow 64 bits.
constexpr std::size_t kMostMantissaDigits = 19;

// Exponents and digit counts beyond this are far outside any double; capping
// them keeps the sums below from overflowing however long the token is.
constexpr std::int64_t kMagnitudeCap = std::int64_t{1} << 40;

std::int64_t capped(std::size_t count) {
    return static_cast<std::int64_t>(std::min<std::size_t>(count, kMagnitudeCap));
}

// Checks the decimal grammar over the whole text, reading the digits as it goes.
std::optional<DecimalParts> scan_decimal(std::string_view body) {
    DecimalParts parts;
    std::size_t pos = 0;
    std::size_t mantissa_digits = 0;
    const auto take_mantissa_digits = [&] {
        const std::size_t start = pos;
        for (; pos < body.size() && is_ascii_digit(body[pos]); ++pos) {
            if (++mantissa_digits <= kMostMantissaDigits) parts.mantissa = parts.mantissa * 10 + (body[pos] - '0');
        }
        return body.substr(start, pos - start);
    };
    parts.integer_digits = take_mantissa_digits();
    if (pos < body.size() && body[pos] == '.') {
        ++pos;
        parts.fraction_digits = take_mantissa_digits();
    }
    if (parts.integer_digits.empty() && parts.fraction_digits.empty()) return std::nullopt;

    if (pos < body.size() && (body[pos] == 'e' || body[pos] == 'E')) {
        ++pos;
        const bool negative = pos < body.size() && body[pos] == '-';
        if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) ++pos;
        const std::size_t start = pos;
        for (; pos < body.size() && is_ascii_digit(body[pos]); ++pos) {
            parts.exponent = std::min<std::int64_t>(parts.exponent * 10 + (body[pos] - '0'), kMagnitudeCap);
        }
        if (pos == start) return std::nullopt;
        if (negative) parts.exponent = -parts.exponent;
    }
    if (pos != body.size()) return std::nullopt;
    return parts;
}

// One rounding per operation is what makes the short path below exact.
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must round to double after every operation");

// Every power of ten up to 10^22 is a double exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::int64_t kLargestExactPower = 22;
constexpr std::uint64_t kLargestExactMantissa = std::uint64_t{1} << 53;

// The value of a decimal whose digits, read as one integer, and whose power
// of ten are both exact doubles: one multiplication or division then rounds
// once, to the nearest double, ties to even. That covers the ordinary
// coordinate ("12.345678") without the general conversion; anything else
// is absent here.
std::optional<double> exact_short_decimal(const DecimalParts& parts) {
    const std::size_t digit_count = parts.integer_digits.size() + parts.fraction_digits.size();
    if (digit_count > kMostMantissaDigits) return std::nullopt;
    const std::int64_t power = parts.exponent - static_cast<std::int64_t>(parts.fraction_digits.size());
    if (power < -kLargestExactPower || power > kLargestExactPower) return std::nullopt;
    if (parts.mantissa > kLargestExactMantissa) return std::nullopt;
    const auto exact_mantissa = static_cast<double>(parts.mantissa);
    return power < 0 ? exact_mantissa / kExactPowersOfTen[-power] : exact_mantissa * kExactPowersOfTen[power];
}

// Whether a decimal that leaves the double range lies above it (rather than
// below the smallest subnormal): judged by the power of ten of its leading
// non-zero digit.
bool overflows(const DecimalParts& parts) {
    if (const std::size_t lead = parts.integer_digits.find_first_not_of('0'); lead != std::string_view::npos) {
        return capped(parts.integer_digits.size() - lead - 1) + parts.exponent >= 0;
    }
    if (const std::size_t lead = parts.fraction_digits.find_first_not_of('0'); lead != std::string_view::npos) {
        return -capped(lead + 1) + parts.exponent >= 0;
    }
    return false;  // all zeros
}

}  // namespace

bool read_coordinate_by_grammar(std::string_view token, double& value) {
    bool negative = false;
    std::string_view body = token;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    // Only a word starts with a letter; a decimal never does.
    if (!body.empty() && !is_ascii_digit(body.front()) && body.front() != '.') {
        const auto word = read_word(body);
        if (!word) return false;
        value = std::copysign(*word, negative ? -1.0 : 1.0);
        return true;
    }

    double magnitude = 0.0;
    if (read_short_fixed_point(body, magnitude)) {
        value = negative ? -magnitude : magnitude;
        return true;
    }
    const auto parts = scan_decimal(body);
    if (!parts) return false;
    if (const auto exact = exact_short_decimal(*parts)) {
        magnitude = *exact;
    } else {
        const auto [end, error] =
            std::from_chars(body.data(), body.data() + body.size(), magnitude, std::chars_format::general);
        if (error == std::errc::result_out_of_range) {
            // from_chars leaves the value alone when it leaves the double range:
            // past the largest double it is infinity, below the smallest subnormal zero.
            magnitude = overflows(*parts) ? std::numeric_limits<double>::infinity() : 0.0;
        } else if (error != std::errc{} || end != body.data() + body.size()) {
            return false;  // unreachable after the grammar check; kept as a guard
        }
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace quorv::xyz
