// The classes of 16 bytes of text at once, as bit masks: the one place where
// the XYZ readers compare bytes sixteen at a time (with SSE2 where the
// target has it, byte by byte elsewhere). Line ends, white space and bytes
// beyond ASCII are what splitting lines into tokens needs to know.
//
// In ASCII, white space is exactly U+0009..U+000D and U+0020; a byte from
// 0x80 up may belong to white space beyond ASCII (U+00A0, say), which the
// mask-based splitters leave to the general ones.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorv::xyz {

inline constexpr std::size_t kClassifiedBytes = 16;

struct ByteClasses {
    std::uint32_t white_space;  // bit i: byte i is ASCII white space (line feeds included)
    std::uint32_t line_feeds;   // bit i: byte i is a line feed
    std::uint32_t non_ascii;    // bit i: byte i is 0x80 or above
};

// Inline: whichever masks a caller does not read are not computed.
inline ByteClasses classify_bytes(const char* sixteen) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen));
    const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
    // Tab to carriage return: 9..13 moved down to -128..-124, below every
    // other byte below 0x80, in a signed comparison.
    const __m128i shifted = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(9 + 128)));
    const __m128i control = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 5)));
    return {static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(blank, control))),
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')))),
            static_cast<std::uint32_t>(_mm_movemask_epi8(bytes))};
#else
    ByteClasses classes{0, 0, 0};
    for (std::size_t i = 0; i < kClassifiedBytes; ++i) {
        const auto byte = static_cast<unsigned char>(sixteen[i]);
        classes.white_space |= std::uint32_t{byte == ' ' || (byte >= 9 && byte <= 13)} << i;
        classes.line_feeds |= std::uint32_t{byte == '\n'} << i;
        classes.non_ascii |= std::uint32_t{byte >= 0x80} << i;
    }
    return classes;
#endif
}

// The classes of 64 bytes, a bit per byte, as a 64-byte block of a text is
// taken apart; inline, so that whichever masks a caller does not read are
// not computed.
inline constexpr std::size_t kBlockOfClassifiedBytes = 64;

struct BlockClasses {
    std::uint64_t white_space;
    std::uint64_t line_feeds;
    std::uint64_t non_ascii;
};

inline BlockClasses classify_block(const char* bytes64) {
    BlockClasses block{0, 0, 0};
    for (std::size_t part = 0; part < kBlockOfClassifiedBytes / kClassifiedBytes; ++part) {
        const ByteClasses classes = classify_bytes(bytes64 + kClassifiedBytes * part);
        block.white_space |= std::uint64_t{classes.white_space} << (kClassifiedBytes * part);
        block.line_feeds |= std::uint64_t{classes.line_feeds} << (kClassifiedBytes * part);
        block.non_ascii |= std::uint64_t{classes.non_ascii} << (kClassifiedBytes * part);
    }
    return block;
}

}  // namespace quorv::xyz
