#include "xyz/quoted_text.h"

#include "text/escaping.h"
#include "text/utf8.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kCutMark = "\u2026";

// The bytes of the first `characters` characters of the text (each byte
// that is not well-formed UTF-8 counting as one).
std::size_t prefix_bytes(std::string_view text, std::size_t characters) {
    std::size_t pos = 0;
    for (std::size_t count = 0; count < characters && pos < text.size(); ++count) {
        pos += decode_utf8_at(text, pos).length;
    }
    return pos;
}

}  // namespace

std::string quoted(std::string_view text) {
    const std::size_t kept = prefix_bytes(text, kMostQuotedCharacters);
    std::string out = quoted_with_escapes(text.substr(0, kept), is_ascii_control);
    if (kept < text.size()) out += kCutMark;
    return out;
}

}  // namespace quorv::xyz
