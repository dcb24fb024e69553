#include "spec_json/typed_values.h"

#include <limits>

#include "text/format.h"
#include "spec_json/found_value.h"
#include "spec_json/json_messages.h"
#include "spec_json/literal_lexer.h"
#include "spec_json/number_lexer.h"
#include "spec_json/string_lexer.h"
#include "text/ascii.h"

namespace quorv::spec_json {

namespace {

bool starts_number(int byte) { return byte == '-' || is_ascii_digit(byte); }

// Blanks, then the first byte of the value; fails when the text ends.
bool reach_value(ByteCursor& cursor) {
    cursor.skip_white_space();
    return !cursor.at_end() || cursor.fail_at_next(kEofWhileParsingValue);
}

// An integer of the right type whose value the range refuses.
bool fail_out_of_range(ByteCursor& cursor, const JsonNumber& number, std::string_view wanted) {
    return cursor.fail_at_last_read(fill(kInvalidValue, {describe_number(number), wanted}));
}

bool fail_not_an_integer(ByteCursor& cursor, const JsonNumber& number, std::string_view wanted) {
    return cursor.fail_at_last_read(fill(kInvalidType, {describe_number(number), wanted}));
}

// null for "absent"; false with `number` unread when another value follows.
bool read_null_or_number(ByteCursor& cursor, std::string_view wanted, bool& is_null, JsonNumber& number) {
    cursor.skip_white_space();
    if (cursor.peek() == 'n') {
        is_null = true;
        return read_literal(cursor, kNullWord);
    }
    is_null = false;
    if (!reach_value(cursor)) return false;
    if (!starts_number(cursor.peek())) return fail_with_invalid_type(cursor, wanted);
    return read_number(cursor, number);
}

}  // namespace

bool read_string_value(ByteCursor& cursor, std::string_view wanted, std::string& value) {
    if (!reach_value(cursor)) return false;
    if (cursor.peek() != '"') return fail_with_invalid_type(cursor, wanted);
    cursor.advance();
    return read_string_rest(cursor, value);
}

bool read_f64(ByteCursor& cursor, double& value) {
    if (!reach_value(cursor)) return false;
    if (!starts_number(cursor.peek())) return fail_with_invalid_type(cursor, kWantedF64);
    JsonNumber number;
    if (!read_number(cursor, number)) return false;
    value = number.as_double();
    return true;
}

bool read_optional_i64(ByteCursor& cursor, std::optional<std::int64_t>& value) {
    bool is_null = false;
    JsonNumber number;
    if (!read_null_or_number(cursor, kWantedI64, is_null, number)) return false;
    value.reset();
    if (is_null) return true;
    switch (number.kind) {
        case JsonNumber::Kind::NonNegativeInteger:
            if (number.non_negative > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                return fail_out_of_range(cursor, number, kWantedI64);
            }
            value = static_cast<std::int64_t>(number.non_negative);
            return true;
        case JsonNumber::Kind::NegativeInteger: value = number.negative; return true;
        case JsonNumber::Kind::Floating: break;
    }
    return fail_not_an_integer(cursor, number, kWantedI64);
}

bool read_optional_u32(ByteCursor& cursor, std::optional<std::uint32_t>& value) {
    bool is_null = false;
    JsonNumber number;
    if (!read_null_or_number(cursor, kWantedU32, is_null, number)) return false;
    value.reset();
    if (is_null) return true;
    switch (number.kind) {
        case JsonNumber::Kind::NonNegativeInteger:
            if (number.non_negative > std::numeric_limits<std::uint32_t>::max()) {
                return fail_out_of_range(cursor, number, kWantedU32);
            }
            value = static_cast<std::uint32_t>(number.non_negative);
            return true;
        case JsonNumber::Kind::NegativeInteger: return fail_out_of_range(cursor, number, kWantedU32);
        case JsonNumber::Kind::Floating: break;
    }
    return fail_not_an_integer(cursor, number, kWantedU32);
}

}  // namespace quorv::spec_json
