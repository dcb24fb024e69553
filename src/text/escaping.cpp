#include "text/escaping.h"

#include "text/utf8.h"

namespace quorv {

void append_code_point_escape(std::string& out, char32_t c) {
    char digits[8];
    int count = 0;
    do {
        digits[count++] = kLowerHexDigits[c & 0xF];
        c >>= 4;
    } while (c != 0);
    out += "\\u{";
    while (count > 0) out.push_back(digits[--count]);
    out += '}';
}

namespace {

// The short escape of a character, or null when it has none.
const char* short_escape(char32_t c) {
    switch (c) {
        case U'\0': return "\\0";
        case U'\t': return "\\t";
        case U'\r': return "\\r";
        case U'\n': return "\\n";
        case U'\\': return "\\\\";
        case U'"': return "\\\"";
        default: return nullptr;
    }
}

}  // namespace

std::string quoted_with_escapes(std::string_view utf8, EscapeAsCodePoint escape) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const Utf8Char c = decode_utf8_at(utf8, pos);
        if (const char* short_form = short_escape(c.code_point)) {
            out += short_form;
        } else if (c.well_formed && escape(c.code_point)) {
            append_code_point_escape(out, c.code_point);
        } else {
            out.append(utf8, pos, c.length);
        }
        pos += c.length;
    }
    out += '"';
    return out;
}

bool is_ascii_control(char32_t code_point) { return code_point < 0x20 || code_point == 0x7F; }

}  // namespace quorv
