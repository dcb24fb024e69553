#include "spec_json/found_value.h"

#include <array>

#include "text/format.h"
#include "text/escaping.h"
#include "spec_json/json_messages.h"
#include "spec_json/literal_lexer.h"
#include "spec_json/string_lexer.h"
#include "text/ascii.h"

namespace quorv::spec_json {

namespace {

struct CodePointRange {
    char32_t first;
    char32_t last;
};

// Characters written as \u{...}: controls, blanks other than the space,
// invisible format characters and private use, so that the message shows
// what is really there.
constexpr std::array<CodePointRange, 22> kUnprintable{{
    {0x0000, 0x001F},   {0x007F, 0x00A0},   {0x00AD, 0x00AD},   {0x0600, 0x0605},
    {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x1680, 0x1680},
    {0x180E, 0x180E},   {0x2000, 0x200F},   {0x2028, 0x202F},   {0x205F, 0x2064},
    {0x2066, 0x206F},   {0x3000, 0x3000},   {0xE000, 0xF8FF},   {0xFEFF, 0xFEFF},
    {0xFFF9, 0xFFFB},   {0xFFFE, 0xFFFF},   {0x110BD, 0x110BD}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F}, {0xF0000, 0x10FFFF},
}};

bool is_unprintable(char32_t code_point) {
    for (const CodePointRange& range : kUnprintable) {
        if (code_point >= range.first && code_point <= range.last) return true;
    }
    return false;
}

// Reads the scalar at the cursor and says what it is; empty on failure.
std::string describe_next_value(ByteCursor& cursor, std::string& scratch) {
    int byte = cursor.peek();
    switch (byte) {
        case 'n': return read_literal(cursor, kNullWord) ? std::string(kFoundNull) : std::string();
        case 't': return read_literal(cursor, kTrueWord) ? fill(kFoundBoolean, {kTrueWord}) : std::string();
        case 'f': return read_literal(cursor, kFalseWord) ? fill(kFoundBoolean, {kFalseWord}) : std::string();
        case '"':
            cursor.advance();
            return read_string_rest(cursor, scratch) ? fill(kFoundString, {quoted_for_message(scratch)})
                                                     : std::string();
        case '[': return std::string(kFoundSequence);
        case '{': return std::string(kFoundMap);
        default: break;
    }
    if (byte == '-' || is_ascii_digit(byte)) {
        JsonNumber number;
        return read_number(cursor, number) ? describe_number(number) : std::string();
    }
    cursor.fail_at_next(kExpectedValue);
    return std::string();
}

}  // namespace

bool fail_with_invalid_type(ByteCursor& cursor, std::string_view wanted) {
    std::string scratch;
    std::string found = describe_next_value(cursor, scratch);
    if (cursor.failed()) return false;
    return cursor.fail_at_last_read(fill(kInvalidType, {found, wanted}));
}

std::string describe_number(const JsonNumber& number) {
    switch (number.kind) {
        case JsonNumber::Kind::NonNegativeInteger: return fill(kFoundInteger, {decimal(number.non_negative)});
        case JsonNumber::Kind::NegativeInteger: return fill(kFoundInteger, {decimal(number.negative)});
        case JsonNumber::Kind::Floating: break;
    }
    return fill(kFoundFloat, {shortest(number.floating)});
}

std::string quoted_for_message(std::string_view text) {
    return quoted_with_escapes(text, is_unprintable);
}

}  // namespace quorv::spec_json
