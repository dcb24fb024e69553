// Dividing a multi-frame XYZ text into frames as it is read, without copying
// it: the caller keeps the bytes in a buffer of its own, appends to it as it
// reads, and gets each frame as a span of that buffer.
//
// A frame is a count line, a comment line and as many non-blank atom lines
// as the count declares (blank lines among them belong to the frame); the
// next non-blank line after a frame starts the next one, and the first frame
// starts at the first line, blank or not. A count line that does not read
// leaves the rest of the input undivided. Every frame comes out as exactly
// one span or one failure, in input order.
//
//     FrameDivider divider;
//     while (reading) {
//         buffer += bytes;
//         divider.divide(buffer, pieces);       // spans index into buffer
//         ... use the pieces, then, to keep the buffer small:
//         buffer.erase(0, divider.needed_from());
//         divider.dropped(that many bytes);
//     }
//     divider.finish(buffer, pieces);
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "xyz/frame_pieces.h"
#include "xyz/line_feeds.h"

namespace quorv::xyz {

// Where a frame's text lies in the divider's buffer: from its count line to
// its last atom line's line end (or the end of the input).
struct FrameSpan {
    std::uint64_t index = 0;
    std::uint64_t first_line = 0;  // the count line's line in the input, counted from 1
    std::size_t begin = 0;
    std::size_t end = 0;
    FrameLayout layout;
};

using DividedPiece = std::variant<FrameSpan, FrameFailure>;

class FrameDivider {
public:
    // Takes the whole lines of `buffer` not taken yet: it holds what it held
    // at the last call (less what was dropped since) with bytes appended.
    // The pieces they complete go to `out`.
    void divide(std::string_view buffer, std::vector<DividedPiece>& out);

    // The input has ended (`buffer` as for divide): its last line needs no
    // line feed, and a frame it cuts short comes out to fail on its count.
    void finish(std::string_view buffer, std::vector<DividedPiece>& out);

    // The bytes before this are in pieces already handed out (or are blank
    // lines between frames): the caller may drop them.
    std::size_t needed_from() const { return frame_begin_; }
    // The caller dropped the first `bytes` bytes of the buffer, at most needed_from().
    void dropped(std::size_t bytes);

    // Whether every byte of the buffer before `end` that a divide() looked
    // at is ASCII (it looks at every byte of the whole lines it takes). A
    // byte dropped since may make it answer no, never yes, wrongly.
    bool ascii_before(std::size_t end) const { return first_non_ascii_ >= end; }

private:
    enum class State : std::uint8_t { FirstCountLine, Between, Comment, Atoms, Undivided };

    void take_atom_lines(std::string_view buffer, LineFeedFinder& line_feeds, std::size_t line_feed,
                         std::vector<DividedPiece>& out);
    void take_line(std::string_view buffer, std::size_t begin, std::size_t content_end, std::size_t end,
                   std::vector<DividedPiece>& out);
    void start_frame(std::string_view buffer, std::string_view count_line, std::size_t begin, std::size_t end);
    void end_frame(std::size_t end, std::vector<DividedPiece>& out);
    void note_non_ascii(std::size_t first, std::size_t last);

    std::size_t scanned_ = 0;      // bytes of the buffer already taken as lines
    std::size_t searched_ = 0;     // bytes already searched for a line feed
    std::size_t frame_begin_ = 0;  // where the frame being divided starts
    State state_ = State::FirstCountLine;
    bool finished_ = false;
    std::uint64_t line_ = 0;  // lines taken so far
    std::uint64_t frames_ = 0;
    std::uint64_t first_line_ = 0;
    std::uint64_t declared_ = 0;
    std::uint64_t atoms_ = 0;
    FrameLayout layout_;  // of the frame being divided
    // The failure of a count line that does not read waits for the end of
    // the input: it is the last piece, and whether the rest is UTF-8 decides
    // which failure it is.
    std::optional<FrameFailure> undivided_;
    // Where the first and last byte from 0x80 up were seen; none: npos.
    std::size_t first_non_ascii_ = std::string_view::npos;
    std::size_t last_non_ascii_ = std::string_view::npos;
};

// The layout of a text's first frame, as dividing finds it: nothing when its
// count line does not read. Lets a text that is most likely one frame (a
// small file) be read without dividing it first.
std::optional<FrameLayout> first_frame_layout(std::string_view text);

}  // namespace quorv::xyz
