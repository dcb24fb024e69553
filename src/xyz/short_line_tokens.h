// The tokens of a short ASCII line, all found at once: each 16 bytes are
// compared into a mask of white space, and the tokens are where its runs of
// clear bits start and end. An atom line of a data set (an element, three
// coordinates, forces, charges) is such a line; its columns are then
// counted with one population count instead of a walk over every byte.
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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorv::xyz {

namespace short_line_detail {

constexpr std::size_t kChunkBytes = 16;

struct ChunkBits {
    std::uint32_t white_space;  // bit i: byte i is white space
    std::uint32_t non_ascii;    // bit i: byte i is 0x80 or above
};

inline ChunkBits classify(const char* chunk) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk));
    const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
    // Tab to carriage return: 9..13 moved down to -128..-124, below every
    // other byte below 0x80, in a signed comparison.
    const __m128i shifted = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(9 + 128)));
    const __m128i control = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 5)));
    return {static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(blank, control))),
            static_cast<std::uint32_t>(_mm_movemask_epi8(bytes))};
#else
    ChunkBits bits{0, 0};
    for (std::size_t i = 0; i < kChunkBytes; ++i) {
        const auto byte = static_cast<unsigned char>(chunk[i]);
        bits.white_space |= std::uint32_t{byte == ' ' || (byte >= 9 && byte <= 13)} << i;
        bits.non_ascii |= std::uint32_t{byte >= 0x80} << i;
    }
    return bits;
#endif
}

}  // namespace short_line_detail

class ShortLineTokens {
public:
    static constexpr std::size_t kMostBytes = 128;

    // Splits the line; false when it is not short ASCII (nothing split).
    bool split(std::string_view line) {
        using namespace short_line_detail;
        if (line.size() > kMostBytes) return false;
        // Past the end of the line, blanks: they make no token.
        char padded[kMostBytes];
        std::memcpy(padded, line.data(), line.size());
        const std::size_t chunks = (line.size() + kChunkBytes - 1) / kChunkBytes;
        std::memset(padded + line.size(), ' ', chunks * kChunkBytes - line.size());
        std::uint64_t words[2] = {0, 0};
        std::uint32_t non_ascii = 0;
        for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
            const ChunkBits bits = classify(padded + chunk * kChunkBytes);
            words[chunk / 4] |= std::uint64_t{static_cast<std::uint16_t>(~bits.white_space)} << (16 * (chunk % 4));
            non_ascii |= bits.non_ascii;
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
    std::size_t pass(std::size_t most) {
        std::size_t passed = 0;
        std::string_view token;
        while (passed < most && next(token)) ++passed;
        return passed;
    }

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
