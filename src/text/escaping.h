// Text shown between double quotes inside a message or a repr(), so that it
// stays on one readable line whatever it holds.
#pragma once

#include <string>
#include <string_view>

namespace quorv {

// Which characters, beyond the short escapes, are written as \u{hex}.
using EscapeAsCodePoint = bool (*)(char32_t code_point);

// The text between double quotes: the backslash and the double quote behind a
// backslash; tab, CR, LF and NUL as \t, \r, \n, \0; every character for which
// `escape` holds as a backslash, "u" and its lower-case hexadecimal code
// point in braces; everything else, the single quote included, as itself.
// A byte that does not start a well-formed UTF-8 character stands for itself.
std::string quoted_with_escapes(std::string_view utf8, EscapeAsCodePoint escape);

inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

// A backslash, "u" and the lower-case hexadecimal code point in braces: \u{1b}.
void append_code_point_escape(std::string& out, char32_t code_point);

// ASCII controls and DEL: the characters no message should carry raw.
bool is_ascii_control(char32_t code_point);

}  // namespace quorv
