#include "spec_json/string_lexer.h"

#include <cstdint>

#include "spec_json/json_messages.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace quorv::spec_json {

namespace {

constexpr std::uint32_t kHighSurrogateFirst = 0xD800;
constexpr std::uint32_t kHighSurrogateLast = 0xDBFF;
constexpr std::uint32_t kLowSurrogateFirst = 0xDC00;
constexpr std::uint32_t kLowSurrogateLast = 0xDFFF;
constexpr std::uint32_t kFirstSupplementary = 0x10000;
constexpr std::size_t kHexEscapeDigits = 4;
constexpr unsigned char kFirstNonControl = 0x20;
constexpr unsigned char kFirstNonAscii = 0x80;

void append_utf8(std::string& out, std::uint32_t code_point) {
    if (code_point < 0x80) {
        out.push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
}

int hex_value(char digit) {
    if (is_ascii_digit(digit)) return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

// The four digits of a \u escape. They are taken as one unit: a short tail
// is the end of the text, and a bad digit fails after all four.
bool read_hex_escape(ByteCursor& cursor, std::uint32_t& value) {
    std::string_view text = cursor.text();
    std::size_t start = cursor.position();
    if (text.size() - start < kHexEscapeDigits) {
        cursor.move_to(text.size());
        return cursor.fail_at_end(kEofWhileParsingString);
    }
    value = 0;
    bool all_hex = true;
    for (std::size_t i = 0; i < kHexEscapeDigits; ++i) {
        int digit = hex_value(text[start + i]);
        if (digit < 0) all_hex = false;
        value = value * 16 + static_cast<std::uint32_t>(digit < 0 ? 0 : digit);
    }
    cursor.move_to(start + kHexEscapeDigits);
    return all_hex || cursor.fail_at_last_read(kInvalidEscape);
}

// After a high surrogate the next escape must be a low one: checks the
// backslash and the "u" that start it.
bool expect_low_surrogate_start(ByteCursor& cursor, char expected) {
    int byte = cursor.peek();
    if (byte == ByteCursor::kEnd) return cursor.fail_at_end(kEofWhileParsingString);
    cursor.advance();
    return byte == expected || cursor.fail_at_last_read(kUnexpectedEndOfHexEscape);
}

bool read_unicode_escape(ByteCursor& cursor, std::string& decoded) {
    std::uint32_t first = 0;
    if (!read_hex_escape(cursor, first)) return false;
    if (first >= kLowSurrogateFirst && first <= kLowSurrogateLast) {
        return cursor.fail_at_last_read(kLoneLeadingSurrogate);
    }
    if (first < kHighSurrogateFirst || first > kHighSurrogateLast) {
        append_utf8(decoded, first);
        return true;
    }
    std::uint32_t second = 0;
    if (!expect_low_surrogate_start(cursor, '\\') || !expect_low_surrogate_start(cursor, 'u') ||
        !read_hex_escape(cursor, second)) {
        return false;
    }
    if (second < kLowSurrogateFirst || second > kLowSurrogateLast) {
        return cursor.fail_at_last_read(kLoneLeadingSurrogate);
    }
    append_utf8(decoded, kFirstSupplementary + ((first - kHighSurrogateFirst) << 10) + (second - kLowSurrogateFirst));
    return true;
}

// The backslash has been consumed.
bool read_escape(ByteCursor& cursor, std::string& decoded) {
    int byte = cursor.next();
    switch (byte) {
        case ByteCursor::kEnd: return cursor.fail_at_end(kEofWhileParsingString);
        case '"': decoded.push_back('"'); return true;
        case '\\': decoded.push_back('\\'); return true;
        case '/': decoded.push_back('/'); return true;
        case 'b': decoded.push_back('\b'); return true;
        case 'f': decoded.push_back('\f'); return true;
        case 'n': decoded.push_back('\n'); return true;
        case 'r': decoded.push_back('\r'); return true;
        case 't': decoded.push_back('\t'); return true;
        case 'u': return read_unicode_escape(cursor, decoded);
        default: return cursor.fail_at_last_read(kInvalidEscape);
    }
}

}  // namespace

bool read_string_rest(ByteCursor& cursor, std::string& decoded) {
    decoded.clear();
    std::string_view text = cursor.text();
    std::size_t pos = cursor.position();
    std::size_t run_start = pos;  // plain bytes not yet copied to `decoded`
    while (true) {
        while (pos < text.size()) {
            auto byte = static_cast<unsigned char>(text[pos]);
            if (byte == '"' || byte == '\\' || byte < kFirstNonControl || byte >= kFirstNonAscii) break;
            ++pos;
        }
        if (pos == text.size()) {
            cursor.move_to(pos);
            return cursor.fail_at_end(kEofWhileParsingString);
        }
        auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= kFirstNonAscii) {
            const Utf8Char c = decode_utf8_at(text, pos);
            if (!c.well_formed) {
                cursor.move_to(pos + 1);
                return cursor.fail_at_last_read(kInvalidUnicode);
            }
            pos += c.length;
            continue;
        }
        decoded.append(text.substr(run_start, pos - run_start));
        cursor.move_to(pos + 1);
        if (byte == '"') return true;
        if (byte < kFirstNonControl) return cursor.fail_at_last_read(kControlCharacterInString);
        if (!read_escape(cursor, decoded)) return false;
        pos = run_start = cursor.position();
    }
}

}  // namespace quorv::spec_json
