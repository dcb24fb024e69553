// Which characters repr() writes as \u{...} escapes.
#pragma once

namespace quorv::python {

// True for Grapheme_Extend characters and for the general categories Cc, Cf,
// Cs, Co, Cn, Zl, Zp and Zs, except the space U+0020.
bool needs_unicode_escape(char32_t code_point);

}  // namespace quorv::python
