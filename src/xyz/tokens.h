// Splitting a line into tokens at Unicode white space.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/white_space.h"

namespace quorv::xyz {

// Takes up to `most` more tokens from a splitter and returns how many there were.
template <typename Tokens>
std::size_t pass_tokens(Tokens& tokens, std::size_t most) {
    std::size_t passed = 0;
    std::string_view token;
    while (passed < most && tokens.next(token)) ++passed;
    return passed;
}

// Hands out the maximal runs of non-white-space characters of a line, in
// order; leading, trailing and repeated white space yield no empty tokens.
//
// It runs over every byte of every atom line, so it is inline and passes
// the common bytes eight at a time: runs of plain spaces (the padding of
// aligned columns) and runs of printable ASCII (the tokens themselves).
// Everything else, and the last few bytes of a line, go byte by byte
// through the white-space helpers.
class TokenReader {
public:
    explicit TokenReader(std::string_view line) : line_(line) {}

    // Sets `token` to the next token and returns true, or returns false when
    // none is left. (Not an optional: GCC hands an optional view back
    // through memory, which stalls the caller on every token.)
    bool next(std::string_view& token) {
        pass_spaces();
        position_ = skip_white_space(line_, position_);
        if (position_ >= line_.size()) return false;
        const std::size_t begin = position_;
        pass_printable_ascii();
        // Step by whole characters, as trimming does, so that a line that
        // trims to something always has a token.
        while (position_ < line_.size() && white_space_at(line_, position_) == 0) {
            position_ += char_length_at(line_, position_);
        }
        token = line_.substr(begin, position_ - begin);
        return true;
    }

    // Passes over up to `most` more tokens; returns how many there were.
    std::size_t pass(std::size_t most) { return pass_tokens(*this, most); }

private:
    static constexpr std::size_t kWordBytes = 8;
    static constexpr std::uint64_t kEachByte = 0x0101010101010101;

    // The words are read in little-endian order, where the first byte of the
    // text is the lowest; elsewhere every byte goes the slow way.
    bool word_fits() const {
        return std::endian::native == std::endian::little && line_.size() - position_ >= kWordBytes;
    }

    std::uint64_t word() const {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, line_.data() + position_, kWordBytes);
        return bytes;
    }

    // Moves to the first byte of the word with some bit set in `flags`.
    void move_to_flagged_byte(std::uint64_t flags) {
        position_ += static_cast<std::size_t>(std::countr_zero(flags)) / 8;
    }

    // Up to the first byte that is not 0x20.
    void pass_spaces() {
        for (; word_fits(); position_ += kWordBytes) {
            // A byte other than 0x20 leaves some bit set in its place.
            if (const std::uint64_t others = word() ^ (kEachByte * 0x20)) return move_to_flagged_byte(others);
        }
    }

    // Up to the first byte below 0x21 or from 0x80 up: bytes in between are
    // whole characters and never white space.
    void pass_printable_ascii() {
        for (; word_fits(); position_ += kWordBytes) {
            const std::uint64_t bytes = word();
            // The subtraction sets the top bit of a byte below 0x21 and of no
            // byte before the first such one (a borrow only runs upwards from
            // a byte that is itself below 0x21); OR-ing the bytes flags those
            // from 0x80 up.
            const std::uint64_t flags = ((bytes - kEachByte * 0x21) | bytes) & (kEachByte * 0x80);
            if (flags != 0) return move_to_flagged_byte(flags);
        }
    }

    std::string_view line_;
    std::size_t position_ = 0;
};

}  // namespace quorv::xyz
