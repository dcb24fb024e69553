#include "python/unicode_escape.h"

namespace quorv::python {

// Provisional: controls and a few separators only, until the generated tables land.
bool needs_unicode_escape(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x200B || c == 0x2028 || c == 0x2029;
}

}  // namespace quorv::python
