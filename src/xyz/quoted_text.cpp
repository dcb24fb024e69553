#include "xyz/quoted_text.h"


namespace quorv::xyz {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

constexpr std::string_view kHexDigits = "0123456789abcdef";

// Lower-case hexadecimal without leading zeros; only ASCII controls come here.
void append_code_point_escape(std::string& out, unsigned char c) {
    out += "\\u{";
    if (c >= 0x10) out += kHexDigits[c >> 4];
    out += kHexDigits[c & 0x0F];
    out += '}';
}

}  // namespace

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\0': out += "\\0"; break;
            default:
                if (byte < kFirstPrintable || byte == kDelete) {
                    append_code_point_escape(out, byte);
                } else {
                    out += c;  // printable ASCII, and every byte of a non-ASCII character
                }
        }
    }
    out += '"';
    return out;
}

}  // namespace quorv::xyz
