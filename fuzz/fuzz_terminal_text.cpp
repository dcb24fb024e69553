// Any bytes (a path, an element symbol, a quoted line) through the escaping
// of the text format: what comes out is well-formed UTF-8 with no control,
// separator or bidirectional formatting character in it, so one finding is
// always one line and nothing reaches the terminal as a command; and text
// that needs no escape comes out unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/terminal_text.h"
#include "text/utf8.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool is_unsafe(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x061C || c == 0x200E ||
           c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string shown = quorv::cli::printable(text);
    require(quorv::is_valid_utf8(shown));
    bool input_is_safe = quorv::is_valid_utf8(text);
    for (std::size_t pos = 0; pos < text.size();) {
        const quorv::Utf8Char c = quorv::decode_utf8_at(text, pos);
        input_is_safe = input_is_safe && !is_unsafe(c.code_point);
        pos += c.length;
    }
    for (std::size_t pos = 0; pos < shown.size();) {
        const quorv::Utf8Char c = quorv::decode_utf8_at(shown, pos);
        require(!is_unsafe(c.code_point));
        pos += c.length;
    }
    if (input_is_safe) require(shown == text);
    return 0;
}
