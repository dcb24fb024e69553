#include "text/utf8.h"

namespace quorv {

bool is_valid_utf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII runs need no decoding.
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const Utf8Char c = decode_utf8_at(bytes, pos);
        if (!c.well_formed) return false;
        pos += c.length;
    }
    return true;
}

}  // namespace quorv
