#include "python/unicode_escape.h"

#include <algorithm>
#include <iterator>

namespace quorv::python {

namespace {

struct CodePointRange {
    char32_t first;
    char32_t last;
};

#include "python/unicode_tables.inc"

// Decodes the character at `pos` and advances past it. The texts are
// well-formed UTF-8; a malformed byte is taken as itself, never read past.
char32_t decode_at(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (lead < 0xC2 || lead > 0xF4 || length > text.size() - pos) length = 1;
    char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
    }
    pos += length;
    return c;
}

void append_unicode_escape(std::string& out, char32_t c) {
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

bool needs_unicode_escape(char32_t code_point) {
    // The first range whose end is not below the code point is the only one
    // that can hold it.
    const auto* range = std::lower_bound(std::begin(kEscapedRanges), std::end(kEscapedRanges), code_point,
                                         [](const CodePointRange& r, char32_t c) { return r.last < c; });
    return range != std::end(kEscapedRanges) && range->first <= code_point;
}

std::string quoted_literal(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t c = decode_at(utf8, pos);
        if (const char* escape = short_escape(c)) {
            out += escape;
        } else if (needs_unicode_escape(c)) {
            append_unicode_escape(out, c);
        } else {
            out.append(utf8, start, pos - start);
        }
    }
    out += '"';
    return out;
}

}  // namespace quorv::python
