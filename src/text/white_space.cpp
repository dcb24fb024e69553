#include "text/white_space.h"

#include "text/utf8.h"

namespace quorv {

namespace {

unsigned char byte_at(std::string_view text, std::size_t pos) {
    return pos < text.size() ? static_cast<unsigned char>(text[pos]) : 0;
}

// A character is at most this long, so a character that covers a byte starts
// no more than this many bytes before it.
constexpr std::size_t kLongestCharacter = 4;

// Where the last non-blank character ends, found by walking every character
// from `begin`: the answer for text that is not valid UTF-8, where a lead
// byte may swallow the bytes after it.
std::size_t end_by_forward_walk(std::string_view text, std::size_t begin) {
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
    return end;
}

bool all_ascii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

namespace white_space_detail {

std::size_t non_ascii_white_space_at(std::string_view text, std::size_t pos) {
    const unsigned char b0 = byte_at(text, pos);
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

}  // namespace white_space_detail

std::string_view trim_white_space(std::string_view text) {
    const std::size_t begin = skip_white_space(text, 0);
    // From the back, an ASCII byte is a character of its own as long as the
    // few bytes before it are ASCII too (no lead byte there can reach it), so
    // trailing ASCII blanks come off one by one. Anything else at the end is
    // left to the walk from the front, which knows where characters start.
    std::size_t end = text.size();
    while (end > begin) {
        const auto last = static_cast<unsigned char>(text[end - 1]);
        if (last >= 0x80) return text.substr(begin, end_by_forward_walk(text, begin) - begin);
        if (!white_space_detail::is_ascii_white_space(last)) break;
        const std::size_t reach = end - 1 - begin < kLongestCharacter - 1 ? begin : end - kLongestCharacter;
        if (!all_ascii(text.substr(reach, end - 1 - reach))) {
            return text.substr(begin, end_by_forward_walk(text, begin) - begin);
        }
        --end;
    }
    return text.substr(begin, end - begin);
}

}  // namespace quorv
