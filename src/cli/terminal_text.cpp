#include "cli/terminal_text.h"

#include "text/escaping.h"
#include "text/utf8.h"

namespace quorv::cli {

namespace {

bool is_printable_ascii(unsigned char byte) { return byte >= 0x20 && byte < 0x7F; }

// Characters that end a line, or reorder or hide the text around them.
bool must_escape(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;  // C0, DEL, C1
    if (c == 0x2028 || c == 0x2029) return true;             // line and paragraph separators
    // Bidirectional formatting: marks, embeddings, overrides and isolates.
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void append_escape(std::string& out, char32_t c) {
    switch (c) {
        case U'\t': out += "\\t"; return;
        case U'\n': out += "\\n"; return;
        case U'\r': out += "\\r"; return;
        case U'\0': out += "\\0"; return;
        default: append_code_point_escape(out, c); return;
    }
}

}  // namespace

void append_printable(std::string& out, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Runs of printable ASCII, nearly every path and message, go in whole.
        std::size_t run_end = pos;
        while (run_end < text.size() && is_printable_ascii(static_cast<unsigned char>(text[run_end]))) ++run_end;
        out.append(text, pos, run_end - pos);
        pos = run_end;
        if (pos == text.size()) break;

        const Utf8Char c = decode_utf8_at(text, pos);
        if (!c.well_formed) {
            const auto byte = static_cast<unsigned char>(text[pos]);
            out += "\\x";
            out += kLowerHexDigits[byte >> 4];
            out += kLowerHexDigits[byte & 0xF];
        } else if (must_escape(c.code_point)) {
            append_escape(out, c.code_point);
        } else {
            out.append(text, pos, c.length);
        }
        pos += c.length;
    }
}

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    append_printable(out, text);
    return out;
}

}  // namespace quorv::cli
