// The tokens of one line of an ASCII text, found from bit masks: the bytes
// from the line's start are compared 16 at a time into masks of line feeds
// and of token bytes, 64 bytes a word, until the line feed. A token then
// starts where a run of token bytes starts, and each costs a count of
// trailing zeros instead of a walk over its bytes.
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

#include "xyz/byte_classes.h"


namespace quorv::xyz {

namespace line_masks_detail {

constexpr std::size_t kWordBytes = kBlockOfClassifiedBytes;

struct WordMasks {
    std::uint64_t token_bytes;  // bit i: byte i is not white space
    std::uint64_t line_feeds;   // bit i: byte i is a line feed
};

inline WordMasks classify(const char* bytes64) {
    const BlockClasses classes = classify_block(bytes64);
    return {~classes.white_space, classes.line_feeds};
}

}  // namespace line_masks_detail

class LineMasks {
public:
    // Lines of up to this many bytes, line feed included, and this many
    // tokens are split here.
    static constexpr std::size_t kMostLineBytes = 4 * line_masks_detail::kWordBytes;
    static constexpr std::size_t kMostTokens = 24;

    // Splits the line of `text` that starts at `begin`, keeping its first
    // `kept` tokens (at most kMostTokens) and counting the rest. False when it
    // is too long; else the line ends at length() (a line feed, or the end of
    // the text) and its kept tokens come out of next().
    bool split(std::string_view text, std::size_t begin, std::size_t kept = kMostTokens) {
        using namespace line_masks_detail;
        line_ = text.data() + begin;
        const std::size_t available = text.size() - begin;
        kept = kept < kMostTokens ? kept : kMostTokens;
        // Most lines end within the 64 bytes from their start: one word of masks.
        if (available >= kWordBytes) {
            const WordMasks masks = classify(line_);
            if (masks.line_feeds != 0) {
                take_one_word(masks, kept);
                return true;
            }
        } else if (available > 0 && text.size() >= kWordBytes) {
            // A line within the text's last 64 bytes (a frame's last atom
            // line): the masks of the 64 bytes that end the text, moved down
            // so that bit 0 is the line's first byte; what lies past the
            // text is neither token nor line feed.
            WordMasks masks = classify(text.data() + text.size() - kWordBytes);
            const std::size_t before_line = kWordBytes - available;
            masks.token_bytes >>= before_line;
            masks.line_feeds >>= before_line;
            take_one_word(masks, kept);
            if (masks.line_feeds == 0) length_ = available;
            return true;
        }
        std::uint64_t starts[kWords];
        std::uint64_t lasts[kWords];
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
            // A run starts at a token byte after a blank one, and has its last
            // byte before a blank one (which may be the next word's first).
            starts[word] = masks.token_bytes & ~((masks.token_bytes << 1) | previous_token_bit);
            lasts[word] = masks.token_bytes & ~(masks.token_bytes >> 1);
            if (word > 0) lasts[word - 1] &= ~(masks.token_bytes << 63);
            previous_token_bit = masks.token_bytes >> 63;
            if (last) {
                take_tokens(starts, lasts, word + 1, kept);
                return true;
            }
        }
        return false;
    }

    // The line's length in bytes, its line feed not included.
    std::size_t length() const { return length_; }

    // How many tokens the line has, and the one at `index` (below that and
    // the tokens kept).
    std::size_t count() const { return count_; }
    std::string_view token(std::size_t index) const {
        return {line_ + begins_[index], static_cast<std::size_t>(ends_[index] - begins_[index])};
    }

    // The next token, as TokenReader::next() gives it.
    bool next(std::string_view& token) {
        if (next_ == count_ || next_ == kept_) return false;
        token = std::string_view(line_ + begins_[next_], ends_[next_] - begins_[next_]);
        ++next_;
        return true;
    }

    // Passes over up to `most` more tokens; returns how many there were.
    std::size_t pass(std::size_t most) {
        const std::size_t passed = count_ - next_ < most ? count_ - next_ : most;
        next_ += passed;
        return passed;
    }

private:
    static constexpr std::size_t kWords = kMostLineBytes / line_masks_detail::kWordBytes;

    // Each kept run's first and last byte, in order (a run may start in one
    // word and end in the next, so the two are listed apart), and the count
    // of every run.
    void take_tokens(const std::uint64_t (&starts)[kWords], const std::uint64_t (&lasts)[kWords], std::size_t words,
                     std::size_t kept) {
        using namespace line_masks_detail;
        std::size_t count = 0;
        std::size_t ended = 0;
        for (std::size_t word = 0; word < words; ++word) {
            for (std::uint64_t bits = starts[word]; bits != 0; bits &= bits - 1, ++count) {
                if (count < kept) begins_[count] = static_cast<std::uint16_t>(kWordBytes * word + static_cast<std::size_t>(std::countr_zero(bits)));
            }
            for (std::uint64_t bits = lasts[word]; bits != 0 && ended < kept; bits &= bits - 1, ++ended) {
                ends_[ended] = static_cast<std::uint16_t>(kWordBytes * word + static_cast<std::size_t>(std::countr_zero(bits)) + 1);
            }
        }
        count_ = count;
        kept_ = kept;
        next_ = 0;
    }

    // A line that ends within one word of masks: at its first line feed, or
    // with the word when it has none.
    void take_one_word(const line_masks_detail::WordMasks& masks, std::size_t kept) {
        const std::uint64_t before_feed = (masks.line_feeds & (0 - masks.line_feeds)) - 1;
        const std::uint64_t tokens = masks.token_bytes & before_feed;
        length_ = static_cast<std::size_t>(std::countr_zero(masks.line_feeds));
        take_tokens_of_one_word(tokens & ~(tokens << 1), tokens & ~(tokens >> 1), kept);
    }

    void take_tokens_of_one_word(std::uint64_t starts, std::uint64_t lasts, std::size_t kept) {
        std::size_t count = 0;
        for (; starts != 0 && count < kept; starts &= starts - 1, lasts &= lasts - 1, ++count) {
            begins_[count] = static_cast<std::uint16_t>(std::countr_zero(starts));
            ends_[count] = static_cast<std::uint16_t>(std::countr_zero(lasts) + 1);
        }
        kept_ = kept;
        for (; starts != 0; starts &= starts - 1) ++count;
        count_ = count;
        next_ = 0;
    }

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

    const char* line_ = nullptr;
    std::size_t length_ = 0;
    std::size_t count_ = 0;
    std::size_t kept_ = 0;
    std::size_t next_ = 0;
    // Only the first kept_ are written and read.
    std::uint16_t begins_[kMostTokens];
    std::uint16_t ends_[kMostTokens];
};

}  // namespace quorv::xyz
