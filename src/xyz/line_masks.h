// The tokens of one line of an ASCII text, found from bit masks: the bytes
// from the line's start are compared 16 at a time into masks of line feeds
// and of token bytes, 64 bytes a word, until the line feed. A token then
// starts where a run of token bytes starts, and the line's tokens are
// counted with one population count instead of a walk over every byte.
//
// In ASCII, white space is exactly U+0009..U+000D and U+0020, so the tokens
// are those that TokenReader hands out for the same line. The text must be
// ASCII: a byte from 0x80 up would be taken as part of a token.
//
// Inline: it runs for every atom line of every frame.
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

namespace line_masks_detail {

constexpr std::size_t kWordBytes = 64;

struct WordMasks {
    std::uint64_t token_bytes;  // bit i: byte i is not white space
    std::uint64_t line_feeds;   // bit i: byte i is a line feed
};

inline WordMasks classify(const char* bytes64) {
#if defined(__SSE2__)
    WordMasks masks{0, 0};
    for (std::size_t part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes64 + 16 * part));
        const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
        // Tab to carriage return: 9..13 moved down to -128..-124, below every
        // other ASCII byte in a signed comparison.
        const __m128i shifted = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(9 + 128)));
        const __m128i control = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + 5)));
        const auto white = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(blank, control)));
        const auto feeds =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
        masks.token_bytes |= std::uint64_t{static_cast<std::uint16_t>(~white)} << (16 * part);
        masks.line_feeds |= std::uint64_t{feeds} << (16 * part);
    }
    return masks;
#else
    WordMasks masks{0, 0};
    for (std::size_t i = 0; i < kWordBytes; ++i) {
        const auto byte = static_cast<unsigned char>(bytes64[i]);
        const bool white = byte == ' ' || (byte >= 9 && byte <= 13);
        masks.token_bytes |= std::uint64_t{!white} << i;
        masks.line_feeds |= std::uint64_t{byte == '\n'} << i;
    }
    return masks;
#endif
}

// Set bits of a word, counted without the population-count instruction,
// which the baseline x86-64 lacks (and a call for it costs more).
inline std::size_t count_bits(std::uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555;
    bits = (bits & 0x3333333333333333) + ((bits >> 2) & 0x3333333333333333);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0F;
    return static_cast<std::size_t>((bits * 0x0101010101010101) >> 56);
}

}  // namespace line_masks_detail

class LineMasks {
public:
    // Lines of up to this many bytes, line feed included, are split here.
    static constexpr std::size_t kMostLineBytes = 4 * line_masks_detail::kWordBytes;

    // Splits the line of `text` that starts at `begin`. False when it is
    // longer than kMostLineBytes; else the line ends at end() (a line feed,
    // or the end of the text) and its tokens come out of next().
    bool split(std::string_view text, std::size_t begin) {
        using namespace line_masks_detail;
        line_ = text.data() + begin;
        const std::size_t available = text.size() - begin;
        std::uint64_t previous_token_bit = 0;
        for (std::size_t word = 0; word < kWords; ++word) {
            const std::size_t offset = word * kWordBytes;
            WordMasks masks = load(line_ + offset, available > offset ? available - offset : 0);
            const bool last = masks.line_feeds != 0 || available <= offset + kWordBytes;
            if (masks.line_feeds != 0) {
                // Nothing of the next line counts.
                const std::uint64_t before_feed = (masks.line_feeds & (0 - masks.line_feeds)) - 1;
                masks.token_bytes &= before_feed;
                length_ = offset + static_cast<std::size_t>(std::countr_zero(masks.line_feeds));
            } else if (last) {
                length_ = available;
            }
            starts_[word] = masks.token_bytes & ~((masks.token_bytes << 1) | previous_token_bit);
            ends_[word] = masks.token_bytes;  // the runs' last bytes, once the next word is known
            if (word > 0) ends_[word - 1] &= ~((masks.token_bytes << 63) | (ends_[word - 1] >> 1));
            previous_token_bit = masks.token_bytes >> 63;
            if (last) {
                ends_[word] &= ~(masks.token_bytes >> 1);
                words_ = word + 1;
                return true;
            }
        }
        return false;
    }

    // The line's length in bytes, its line feed not included.
    std::size_t length() const { return length_; }

    // The next token, as TokenReader::next() gives it.
    bool next(std::string_view& token) {
        const std::size_t begin = take_lowest(starts_);
        if (begin == kNone) return false;
        const std::size_t last = take_lowest(ends_);
        token = std::string_view(line_ + begin, last + 1 - begin);
        return true;
    }

    // Passes over up to `most` more tokens; returns how many there were.
    std::size_t pass(std::size_t most) {
        std::size_t left = 0;
        for (std::size_t word = 0; word < words_; ++word) {
            left += line_masks_detail::count_bits(starts_[word]);
            starts_[word] = ends_[word] = 0;
        }
        return left < most ? left : most;
    }

private:
    static constexpr std::size_t kWords = kMostLineBytes / line_masks_detail::kWordBytes;
    static constexpr std::size_t kNone = ~std::size_t{0};

    // The masks of the 64 bytes at `bytes`, of which `available` lie in the
    // text: what lies past it is neither token nor line feed.
    static line_masks_detail::WordMasks load(const char* bytes, std::size_t available) {
        using namespace line_masks_detail;
        if (available >= kWordBytes) return classify(bytes);
        char copy[kWordBytes] = {};
        std::memcpy(copy, bytes, available);
        WordMasks masks = classify(copy);
        const std::uint64_t inside = available == 0 ? 0 : ~std::uint64_t{0} >> (kWordBytes - available);
        masks.token_bytes &= inside;
        masks.line_feeds &= inside;
        return masks;
    }

    // The position of the lowest set bit of the line's words, cleared.
    std::size_t take_lowest(std::uint64_t (&bits)[kWords]) {
        for (std::size_t word = 0; word < words_; ++word) {
            if (bits[word] != 0) {
                const auto at = static_cast<std::size_t>(std::countr_zero(bits[word]));
                bits[word] &= bits[word] - 1;
                return line_masks_detail::kWordBytes * word + at;
            }
        }
        return kNone;
    }

    const char* line_ = nullptr;
    std::size_t length_ = 0;
    std::size_t words_ = 0;
    std::uint64_t starts_[kWords] = {};
    std::uint64_t ends_[kWords] = {};
};

}  // namespace quorv::xyz
