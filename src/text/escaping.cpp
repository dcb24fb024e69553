#include "text/escaping.h"

namespace quorv {

namespace {

bool is_continuation(std::string_view text, std::size_t pos) {
    return pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80;
}

// Decodes the character at `pos` and advances past it. A malformed sequence
// is taken one byte at a time and never read past.
char32_t decode_at(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (lead < 0xC2 || lead > 0xF4) length = 1;
    for (std::size_t i = 1; i < length; ++i) {
        if (!is_continuation(text, pos + i)) length = 1;
    }
    char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
    pos += length;
    return c;
}

void append_code_point_escape(std::string& out, char32_t c) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    char digits[8];
    int count = 0;
    do {
        digits[count++] = kHexDigits[c & 0xF];
        c >>= 4;
    } while (c != 0);
    out += "\\u{";
    while (count > 0) out.push_back(digits[--count]);
    out += '}';
}

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
        const std::size_t start = pos;
        const char32_t c = decode_at(utf8, pos);
        if (const char* short_form = short_escape(c)) {
            out += short_form;
        } else if (escape(c)) {
            append_code_point_escape(out, c);
        } else {
            out.append(utf8, start, pos - start);
        }
    }
    out += '"';
    return out;
}

bool is_ascii_control(char32_t code_point) { return code_point < 0x20 || code_point == 0x7F; }

}  // namespace quorv
