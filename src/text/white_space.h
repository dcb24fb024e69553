// Unicode White_Space in UTF-8 text: the one definition of "blank" that the
// XYZ reader and the source checker trim and split at.
//
// Nearly every byte these helpers see is ASCII, so the ASCII answers are
// inline and only bytes from 0x80 up go through the full tables.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/utf8.h"

namespace quorv {

namespace white_space_detail {

// Below 0x80 a byte is a whole character, and white space exactly when it is
// U+0009..U+000D or U+0020.
constexpr bool is_ascii_white_space(unsigned char byte) { return (byte >= 0x09 && byte <= 0x0D) || byte == 0x20; }

// The non-ASCII White_Space characters, starting at a byte >= 0x80.
std::size_t non_ascii_white_space_at(std::string_view text, std::size_t pos);

}  // namespace white_space_detail

// Byte length of the White_Space character that starts at text[pos], or 0
// when none does (also at or past the end). U+FEFF is not white space.
inline std::size_t white_space_at(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) return white_space_detail::is_ascii_white_space(byte) ? 1 : 0;
    return white_space_detail::non_ascii_white_space_at(text, pos);
}

// Byte length of the character that starts at text[pos]: 1 to 4 for a
// well-formed one, 1 for a byte that starts none, so a walk always moves forward.
inline std::size_t char_length_at(std::string_view text, std::size_t pos) {
    if (pos >= text.size() || static_cast<unsigned char>(text[pos]) < 0x80) return 1;
    return decode_utf8_at(text, pos).length;
}

// The position of the first character at or after `pos` that is not white
// space (the end of the text when there is none).
inline std::size_t skip_white_space(std::string_view text, std::size_t pos) {
    while (std::size_t blank = white_space_at(text, pos)) pos += blank;
    return pos;
}

// The text without the white space at either end. The text is taken apart
// into characters from the front (white space, or char_length_at for the
// rest), so bytes that are not valid UTF-8 are trimmed exactly as a walk
// from the front would cut them.
std::string_view trim_white_space(std::string_view text);

}  // namespace quorv
