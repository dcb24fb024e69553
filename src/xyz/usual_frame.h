// Reading the frames of a data set the quick way. Data sets repeat one
// shape frame after frame: a count, a comment line that differs only in its
// numbers, exactly that many atom lines. A thread that reads many frames
// keeps a UsualFrameReader, which reads such a frame without reading its
// comment line again; any other frame it leaves to read_frame.
#pragma once

#include <cstdint>
#include <string_view>

#include "xyz/comment_memo.h"
#include "xyz/frame_pieces.h"

namespace quorv::xyz {

class UsualFrameReader {
public:
    // Reads a frame's text, which must be ASCII, into `into` exactly as
    // read_frame would, and returns true; or returns false, `into` partly
    // filled, for a frame that is not of the usual shape (a blank, missing
    // or unreadable atom line, a comment line whose keys fail), which
    // read_frame then reads and fails as the single-frame reader would.
    // `layout` is where dividing found the frame's count and comment line.
    // `end`, when given, is set to where the frame's last line ends (after
    // its line feed), where anything that follows it starts.
    bool read(std::string_view text, const FrameLayout& layout, std::uint64_t index, std::uint64_t first_line,
              Frame& into, std::size_t* end = nullptr);

private:
    CommentMemo comments_;
};

}  // namespace quorv::xyz
