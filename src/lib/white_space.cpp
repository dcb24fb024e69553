#include "lib/white_space.h"

namespace quorv {

namespace {
unsigned char byte_at(std::string_view text, std::size_t pos) {
    return pos < text.size() ? static_cast<unsigned char>(text[pos]) : 0;
}
}  // namespace

std::size_t white_space_at(std::string_view text, std::size_t pos) {
    const unsigned char b0 = byte_at(text, pos);
    if (pos >= text.size()) return 0;
    if ((b0 >= 0x09 && b0 <= 0x0D) || b0 == 0x20) return 1;
    const unsigned char b1 = byte_at(text, pos + 1);
    if (b0 == 0xC2) return (b1 == 0x85 || b1 == 0xA0) ? 2 : 0;  // U+0085, U+00A0
    const unsigned char b2 = byte_at(text, pos + 2);
    if (b0 == 0xE1) return (b1 == 0x9A && b2 == 0x80) ? 3 : 0;  // U+1680
    if (b0 == 0xE3) return (b1 == 0x80 && b2 == 0x80) ? 3 : 0;  // U+3000
    if (b0 != 0xE2) return 0;
    if (b1 == 0x80) {
        // U+2000..U+200A, U+2028, U+2029, U+202F
        const bool space = (b2 >= 0x80 && b2 <= 0x8A) || b2 == 0xA8 || b2 == 0xA9 || b2 == 0xAF;
        return space ? 3 : 0;
    }
    return (b1 == 0x81 && b2 == 0x9F) ? 3 : 0;  // U+205F
}

std::size_t char_length_at(std::string_view text, std::size_t pos) {
    const unsigned char lead = byte_at(text, pos);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else if (lead >= 0xE0) length = lead <= 0xEF ? 3 : 1;
    else if (lead >= 0xC2) length = 2;
    return pos + length <= text.size() ? length : 1;
}

std::string_view trim_white_space(std::string_view text) {
    std::size_t begin = 0;
    while (std::size_t n = white_space_at(text, begin)) begin += n;
    // Walk forward to find where the last non-blank character ends: UTF-8
    // cannot be trimmed safely from the back byte by byte.
    std::size_t end = begin;
    std::size_t pos = begin;
    while (pos < text.size()) {
        if (std::size_t n = white_space_at(text, pos)) {
            pos += n;
        } else {
            pos += char_length_at(text, pos);
            end = pos;
        }
    }
    return text.substr(begin, end - begin);
}

}  // namespace quorv
