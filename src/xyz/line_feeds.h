// Finding the line feeds of a text one after another, 64 bytes at a time.
//
// A trajectory's lines are short (an atom line is some 40 to 80 bytes), so a
// search per line pays its fixed cost on every line. Here each 64-byte block
// is compared once, into a mask with a bit per line feed, and each further
// line feed in it costs a count of trailing zeros.
//
// Inline: it runs once per line of every frame.
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

namespace line_feeds_detail {

constexpr std::size_t kBlockBytes = 64;

// Bit i set when block[i] is a line feed; the block is kBlockBytes long.
inline std::uint64_t line_feed_mask(const char* block) {
#if defined(__SSE2__)
    const __m128i line_feed = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, line_feed)));
        mask |= std::uint64_t{bits} << (16 * part);
    }
    return mask;
#else
    if constexpr (std::endian::native != std::endian::little) {
        std::uint64_t mask = 0;
        for (std::size_t i = 0; i < kBlockBytes; ++i) mask |= std::uint64_t{block[i] == '\n'} << i;
        return mask;
    }
    constexpr std::uint64_t kEachByte = 0x0101010101010101;
    constexpr std::uint64_t kLow7 = kEachByte * 0x7F;
    // Gathers the bits at 0, 8, ..., 56 into bits 56..63 (no two partial
    // products land on one bit, so nothing carries).
    constexpr std::uint64_t kGather = 0x0102040810204080;
    std::uint64_t mask = 0;
    for (std::size_t word = 0; word < kBlockBytes / 8; ++word) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, block + 8 * word, 8);
        const std::uint64_t zeroed = bytes ^ (kEachByte * '\n');
        // The top bit of each byte that was a line feed, exactly (no borrows).
        const std::uint64_t found = ~(((zeroed & kLow7) + kLow7) | zeroed | kLow7);
        mask |= (((found >> 7) * kGather) >> 56) << (8 * word);
    }
    return mask;
#endif
}

}  // namespace line_feeds_detail

// Hands out the positions of the line feeds of `text` at or after a given
// position, for positions that never move backwards.
class LineFeedFinder {
public:
    explicit LineFeedFinder(std::string_view text) : text_(text) {}

    // The first line feed at or after `from`, or npos.
    std::size_t next(std::size_t from) {
        using namespace line_feeds_detail;
        while (from < text_.size()) {
            const std::size_t block = from & ~(kBlockBytes - 1);
            if (block != block_) load(block);
            const std::uint64_t ahead = mask_ & (~std::uint64_t{0} << (from - block));
            if (ahead != 0) return block + static_cast<std::size_t>(std::countr_zero(ahead));
            from = block + kBlockBytes;
        }
        return std::string_view::npos;
    }

private:
    void load(std::size_t block) {
        using namespace line_feeds_detail;
        block_ = block;
        if (text_.size() - block >= kBlockBytes) {
            mask_ = line_feed_mask(text_.data() + block);
            return;
        }
        // The last block, padded with bytes that are no line feed.
        char padded[kBlockBytes] = {};
        std::memcpy(padded, text_.data() + block, text_.size() - block);
        mask_ = line_feed_mask(padded);
    }

    std::string_view text_;
    std::size_t block_ = std::string_view::npos;
    std::uint64_t mask_ = 0;
};

}  // namespace quorv::xyz
