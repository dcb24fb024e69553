// UTF-8: the one decoder every reader, escaper and writer steps through
// text with.
#pragma once

#include <cstddef>
#include <string_view>

namespace quorv {

struct Utf8Char {
    char32_t code_point;
    std::size_t length;  // bytes, 1 to 4
    bool well_formed;
};

// The character that starts at text[pos] (pos < text.size()). A sequence
// that is not well-formed UTF-8 (a stray continuation byte, an overlong
// form, a surrogate, a value beyond U+10FFFF, a sequence cut short) gives
// one byte: length 1, not well-formed, the byte's value as its code point.
// So a walk always moves forward and never reads past the text.
inline Utf8Char decode_utf8_at(std::string_view text, std::size_t pos) {
    const auto byte_at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte_at(pos);
    const Utf8Char stray{lead, 1, false};
    if (lead < 0x80) return {lead, 1, true};
    std::size_t length = 0;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) second_low = 0xA0;   // overlong
        if (lead == 0xED) second_high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) second_low = 0x90;   // overlong
        if (lead == 0xF4) second_high = 0x8F;  // beyond U+10FFFF
    } else {
        return stray;
    }
    if (text.size() - pos < length) return stray;
    const unsigned char second = byte_at(pos + 1);
    if (second < second_low || second > second_high) return stray;
    char32_t code_point = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char continuation = byte_at(pos + i);
        if ((continuation & 0xC0) != 0x80) return stray;
        code_point = (code_point << 6) | (continuation & 0x3Fu);
    }
    return {code_point, length, true};
}

// Where the first character that is not well-formed starts, or npos when
// every character of the bytes is.
std::size_t first_invalid_utf8(std::string_view bytes);

// True when every character of the bytes is well-formed.
inline bool is_valid_utf8(std::string_view bytes) { return first_invalid_utf8(bytes) == std::string_view::npos; }

// True when every byte is below 0x80 (so the bytes are UTF-8, one byte a character).
bool is_ascii(std::string_view bytes);

// How every front end says that bytes are not UTF-8 text.
inline constexpr std::string_view kNotUtf8Description = "stream did not contain valid UTF-8";

}  // namespace quorv
