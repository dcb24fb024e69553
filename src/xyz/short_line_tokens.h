// The tokens of a short ASCII line, all found at once: each 16 bytes are
// compared into a mask of white space, and the tokens are where its runs of
// clear bits start and end. An atom line of a data set (an element, three
// coordinates, forces, charges) is such a line; each of its tokens then
// costs a count of trailing zeros instead of a walk over its bytes.
//
// In ASCII, white space is exactly U+0009..U+000D and U+0020, so the tokens
// are those that TokenReader hands out for the same line. A line with a
// byte from 0x80 up, or longer than kMostBytes, is not split here.
//
// Inline: it runs for every atom line.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "xyz/byte_classes.h"
#include "xyz/tokens.h"

namespace quorv::xyz {

class ShortLineTokens {
public:
    static constexpr std::size_t kMostBytes = 128;

    // Splits the line; false when it is not short ASCII (nothing split).
    bool split(std::string_view line) {
        if (line.size() > kMostBytes) return false;
        // Past the end of the line, blanks: they make no token.
        char padded[kMostBytes];
        std::memcpy(padded, line.data(), line.size());
        const std::size_t chunks = (line.size() + kClassifiedBytes - 1) / kClassifiedBytes;
        std::memset(padded + line.size(), ' ', chunks * kClassifiedBytes - line.size());
        std::uint64_t words[2] = {0, 0};
        std::uint32_t non_ascii = 0;
        for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
            const ByteClasses classes = classify_bytes(padded + chunk * kClassifiedBytes);
            words[chunk / 4] |= std::uint64_t{static_cast<std::uint16_t>(~classes.white_space)} << (16 * (chunk % 4));
            non_ascii |= classes.non_ascii;
        }
        if (non_ascii != 0) return false;
        // A token starts at a non-blank byte after a blank one (or the line's
        // start) and ends at a non-blank byte before a blank one.
        starts_[0] = words[0] & ~(words[0] << 1);
        starts_[1] = words[1] & ~((words[1] << 1) | (words[0] >> 63));
        lasts_[0] = words[0] & ~((words[0] >> 1) | (words[1] << 63));
        lasts_[1] = words[1] & ~(words[1] >> 1);
        line_ = line.data();
        return true;
    }

    // The next token, as TokenReader::next() gives it.
    bool next(std::string_view& token) {
        if ((starts_[0] | starts_[1]) == 0) return false;
        const std::size_t begin = take_lowest(starts_);
        const std::size_t last = take_lowest(lasts_);
        token = std::string_view(line_ + begin, last + 1 - begin);
        return true;
    }

    // Passes over up to `most` more tokens; returns how many there were.
    std::size_t pass(std::size_t most) { return pass_tokens(*this, most); }

private:
    static std::size_t take_lowest(std::uint64_t (&bits)[2]) {
        const std::size_t word = bits[0] != 0 ? 0 : 1;
        const auto at = static_cast<std::size_t>(std::countr_zero(bits[word]));
        bits[word] &= bits[word] - 1;
        return 64 * word + at;
    }

    const char* line_ = nullptr;
    std::uint64_t starts_[2] = {0, 0};
    std::uint64_t lasts_[2] = {0, 0};
};

}  // namespace quorv::xyz
