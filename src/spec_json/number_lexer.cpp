#include "spec_json/number_lexer.h"

#include <charconv>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

#include "spec_json/json_messages.h"
#include "text/ascii.h"
#include "text/integers.h"

namespace quorv::spec_json {

namespace {

constexpr std::int64_t kExponentCap = std::numeric_limits<std::int64_t>::max() / 16;
constexpr std::uint64_t kMostNegativeMagnitude = std::uint64_t{1} << 63;

std::size_t skip_digits(ByteCursor& cursor) {
    std::size_t count = 0;
    while (is_ascii_digit(cursor.peek())) {
        cursor.advance();
        ++count;
    }
    return count;
}

// Where the literal's parts lie, for the conversions below.
struct NumberShape {
    std::size_t start = 0;            // at '-' or the first digit
    std::size_t integer_start = 0;    // first digit
    std::size_t integer_end = 0;
    std::size_t fraction_start = 0;   // after '.', equal to fraction_end without one
    std::size_t fraction_end = 0;
    std::int64_t exponent = 0;        // saturated far beyond any double
    bool negative = false;
    bool has_fraction_or_exponent = false;
    // Where a written exponent first outgrew 32 bits: a number that overflows
    // that way is reported there rather than at its end.
    std::optional<std::size_t> exponent_overflow_end;
};

bool read_exponent(ByteCursor& cursor, NumberShape& shape) {
    cursor.advance();  // 'e' or 'E'
    bool negative_exponent = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') negative_exponent = cursor.next() == '-';
    int first = cursor.next();
    if (first == ByteCursor::kEnd) return cursor.fail_at_end(kEofWhileParsingValue);
    if (!is_ascii_digit(first)) return cursor.fail_at_last_read(kInvalidNumber);
    std::int64_t exponent = first - '0';
    while (is_ascii_digit(cursor.peek())) {
        int digit = cursor.next() - '0';
        if (exponent < kExponentCap) exponent = exponent * 10 + digit;
        if (!shape.exponent_overflow_end && exponent > std::numeric_limits<std::int32_t>::max()) {
            shape.exponent_overflow_end = cursor.position();
        }
    }
    shape.exponent = negative_exponent ? -exponent : exponent;
    return true;
}

bool read_shape(ByteCursor& cursor, NumberShape& shape) {
    shape.start = cursor.position();
    if (cursor.peek() == '-') {
        shape.negative = true;
        cursor.advance();
    }
    shape.integer_start = cursor.position();
    int first = cursor.next();
    if (first == ByteCursor::kEnd) return cursor.fail_at_end(kEofWhileParsingValue);
    if (first == '0') {
        if (is_ascii_digit(cursor.peek())) return cursor.fail_at_next(kInvalidNumber);
    } else if (is_ascii_digit(first)) {
        skip_digits(cursor);
    } else {
        return cursor.fail_at_last_read(kInvalidNumber);
    }
    shape.integer_end = shape.fraction_start = shape.fraction_end = cursor.position();
    if (cursor.peek() == '.') {
        cursor.advance();
        shape.fraction_start = cursor.position();
        if (skip_digits(cursor) == 0) {
            return cursor.fail_at_next(cursor.at_end() ? kEofWhileParsingValue : kInvalidNumber);
        }
        shape.fraction_end = cursor.position();
        shape.has_fraction_or_exponent = true;
    }
    if (cursor.peek() == 'e' || cursor.peek() == 'E') {
        if (!read_exponent(cursor, shape)) return false;
        shape.has_fraction_or_exponent = true;
    }
    return true;
}

// Whether a number that the double range cannot hold is too large (rather
// than too small): its first significant digit stands left of the point.
bool magnitude_at_least_one(std::string_view text, const NumberShape& shape) {
    std::int64_t digits_left_of_point = 0;
    std::string_view integer = text.substr(shape.integer_start, shape.integer_end - shape.integer_start);
    if (integer != "0") {
        digits_left_of_point = static_cast<std::int64_t>(integer.size());
    } else {
        std::string_view fraction = text.substr(shape.fraction_start, shape.fraction_end - shape.fraction_start);
        std::size_t first_significant = fraction.find_first_not_of('0');
        if (first_significant == std::string_view::npos) return false;
        digits_left_of_point = -static_cast<std::int64_t>(first_significant);
    }
    return digits_left_of_point + shape.exponent > 0;
}

bool convert_to_double(ByteCursor& cursor, const NumberShape& shape, double& value) {
    std::string_view text = cursor.text();
    const char* first = text.data() + shape.start;
    const char* last = text.data() + cursor.position();
    auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc{} && end == last) return true;
    if (error == std::errc::result_out_of_range && end == last) {
        if (magnitude_at_least_one(text, shape)) {
            if (shape.exponent_overflow_end) cursor.move_to(*shape.exponent_overflow_end);
            return cursor.fail_at_last_read(kNumberOutOfRange);
        }
        value = shape.negative ? -0.0 : 0.0;
        return true;
    }
    // The literal was checked above; a conversion that still fails is a
    // number this reader cannot represent.
    return cursor.fail_at_last_read(kNumberOutOfRange);
}

}  // namespace

double JsonNumber::as_double() const {
    switch (kind) {
        case Kind::NonNegativeInteger: return static_cast<double>(non_negative);
        case Kind::NegativeInteger: return static_cast<double>(negative);
        case Kind::Floating: break;
    }
    return floating;
}

bool skip_number(ByteCursor& cursor) {
    NumberShape shape;
    return read_shape(cursor, shape);
}

bool read_number(ByteCursor& cursor, JsonNumber& number) {
    NumberShape shape;
    if (!read_shape(cursor, shape)) return false;
    if (!shape.has_fraction_or_exponent) {
        std::string_view digits =
            cursor.text().substr(shape.integer_start, shape.integer_end - shape.integer_start);
        std::optional<std::uint64_t> magnitude = parse_digits(digits);
        if (magnitude && !shape.negative) {
            number.kind = JsonNumber::Kind::NonNegativeInteger;
            number.non_negative = *magnitude;
            return true;
        }
        // -0 has no integer form: it is the double minus zero.
        if (magnitude && *magnitude != 0 && *magnitude <= kMostNegativeMagnitude) {
            number.kind = JsonNumber::Kind::NegativeInteger;
            number.negative = static_cast<std::int64_t>(0 - *magnitude);
            return true;
        }
    }
    number.kind = JsonNumber::Kind::Floating;
    return convert_to_double(cursor, shape, number.floating);
}

}  // namespace quorv::spec_json
