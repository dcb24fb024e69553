#include "text/utf8.h"

#include <cstdint>
#include <cstring>

namespace quorv {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

}  // namespace

std::size_t first_invalid_utf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII needs no decoding, and nearly every input is ASCII: 32 bytes
        // at a time while they last, then eight.
        if (bytes.size() - pos >= 4 * sizeof(std::uint64_t)) {
            std::uint64_t words[4];
            std::memcpy(words, bytes.data() + pos, sizeof words);
            if (((words[0] | words[1] | words[2] | words[3]) & kHighBits) == 0) {
                pos += sizeof words;
                continue;
            }
        }
        std::uint64_t word = 0;
        if (bytes.size() - pos >= sizeof word) {
            std::memcpy(&word, bytes.data() + pos, sizeof word);
            if ((word & kHighBits) == 0) {
                pos += sizeof word;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const Utf8Char c = decode_utf8_at(bytes, pos);
        if (!c.well_formed) return pos;
        pos += c.length;
    }
    return std::string_view::npos;
}

bool is_ascii(std::string_view bytes) {
    std::uint64_t seen = 0;
    std::size_t pos = 0;
    for (; pos + sizeof(std::uint64_t) <= bytes.size(); pos += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + pos, sizeof word);
        seen |= word;
    }
    for (; pos < bytes.size(); ++pos) seen |= static_cast<unsigned char>(bytes[pos]);
    return (seen & kHighBits) == 0;
}

}  // namespace quorv
