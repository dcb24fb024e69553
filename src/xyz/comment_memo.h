// The comment lines of a data set's frames repeat with only their numbers
// changed (an energy, a step, a time): the memo reads a comment line once
// and hands its reading on for every later line that differs from it only
// in digits that no key of the reading looks at.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "xyz/frame_comment.h"

namespace quorv::xyz {

class CommentMemo {
public:
    // What read_frame_comment(comment) gives, read again only when the
    // remembered line does not settle it.
    const std::variant<FrameComment, ReadError>& read(std::string_view comment);

private:
    bool settles(std::string_view comment) const;

    bool remembered_ = false;
    std::string line_;
    // A byte per byte of line_: not zero where a digit may become another
    // digit without changing the reading.
    std::string free_digits_;
    std::variant<FrameComment, ReadError> reading_;
};

// Where `comment` may change digit for digit without changing what
// read_frame_comment says of it: a byte per byte, 1 for such a place. The
// places are the values of keys that nothing reads, made of number
// characters alone (energy=-76.41, step=12): a line this cannot take apart
// with certainty, or one that is read as a bare pair, has none. A free
// place's byte is not zero (its top bit is set), any other's is.
std::string free_digit_places(std::string_view comment);

}  // namespace quorv::xyz
