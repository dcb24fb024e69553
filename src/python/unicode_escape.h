// How repr() writes a finding's message: as a double-quoted literal with
// escapes for the characters that would not read clearly as themselves.
#pragma once

#include <string>
#include <string_view>

namespace quorv::python {

// True for Grapheme_Extend characters and for the general categories Cc, Cf,
// Cs, Co, Cn, Zl, Zp and Zs, except the space U+0020.
bool needs_unicode_escape(char32_t code_point);

// The UTF-8 text between double quotes: NUL, tab, CR and LF as \0 \t \r \n,
// backslash and double quote behind a backslash, the characters above as
// \u{hex}; everything else, the single quote included, as itself.
std::string quoted_literal(std::string_view utf8);

}  // namespace quorv::python
