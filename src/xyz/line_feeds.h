// Finding the line feeds of a text one after another, 64 bytes at a time.
//
// A trajectory's lines are short (an atom line is some 40 to 80 bytes), so a
// search per line pays its fixed cost on every line. Here each 64-byte block
// is compared once, into a mask with a bit per line feed, and each further
// line feed in it costs a count of trailing zeros. The same pass notes bytes
// beyond ASCII, so that a text found to be ASCII need not be checked again.
//
// Inline: it runs once per line of every frame.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "xyz/byte_classes.h"

namespace quorv::xyz {

namespace line_feeds_detail {

constexpr std::size_t kBlockBytes = kBlockOfClassifiedBytes;

}  // namespace line_feeds_detail

// Hands out the positions of the line feeds of `text` at or after a given
// position, for positions that never move backwards; and, of the blocks it
// looked at on the way, where the first and last byte from 0x80 up were.
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

    // Positions in the text; npos when every byte looked at was ASCII.
    std::size_t first_non_ascii() const { return first_non_ascii_; }
    std::size_t last_non_ascii() const { return last_non_ascii_; }

private:
    void load(std::size_t block) {
        using namespace line_feeds_detail;
        block_ = block;
        BlockClasses masks{0, 0, 0};
        if (text_.size() - block >= kBlockBytes) {
            masks = classify_block(text_.data() + block);
        } else {
            // The last block, padded with bytes that are neither.
            char padded[kBlockBytes] = {};
            std::memcpy(padded, text_.data() + block, text_.size() - block);
            masks = classify_block(padded);
        }
        mask_ = masks.line_feeds;
        if (masks.non_ascii != 0) {
            if (first_non_ascii_ == std::string_view::npos) {
                first_non_ascii_ = block + static_cast<std::size_t>(std::countr_zero(masks.non_ascii));
            }
            last_non_ascii_ = block + kBlockBytes - 1 - static_cast<std::size_t>(std::countl_zero(masks.non_ascii));
        }
    }

    std::string_view text_;
    std::size_t block_ = std::string_view::npos;
    std::uint64_t mask_ = 0;
    std::size_t first_non_ascii_ = std::string_view::npos;
    std::size_t last_non_ascii_ = std::string_view::npos;
};

}  // namespace quorv::xyz
