// What dividing and reading the frames of a multi-frame XYZ text hands out:
// a frame's text or its failure, and a frame read whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/periodic_cell.h"

namespace quorv::xyz {

// Where the lines before a frame's atom lines lie in its text, as dividing
// found them (offsets from the count line's start). A frame the input cuts
// short has an empty comment line at its end.
struct FrameLayout {
    std::uint64_t declared = 0;     // the count line's atom count
    std::size_t comment_begin = 0;  // the comment line, without its line end
    std::size_t comment_end = 0;
    std::size_t atoms_begin = 0;    // where the line after the comment line starts
};

// One frame's text: its lines from the count line to the last atom line,
// with their line ends, as they stand in the input.
struct FrameText {
    std::uint64_t index = 0;       // counted from 0
    std::uint64_t first_line = 0;  // the count line's line in the input, counted from 1
    std::string text;
    FrameLayout layout;
};

// A frame that could not be read, with the single-frame reader's error text
// (or one of the extended keys'), and the input line it is about: the
// offending atom or comment line, or the count line of a frame that ends
// too soon.
struct FrameFailure {
    std::uint64_t index = 0;
    std::uint64_t line = 0;
    std::string message;
    // The count line at `line` does not read, so where later frames start is
    // unknown: nothing after it is divided into frames or read.
    bool rest_undivided = false;
    // The frame's bytes (or, for a rest left undivided, the bytes from its
    // count line to the end) are not all UTF-8: the message is
    // kNotUtf8Description, and `line` holds the first byte that is not
    // (the count line, for the rest).
    bool not_utf8 = false;
};

// A frame read whole.
struct Frame {
    std::uint64_t index = 0;
    std::uint64_t first_line = 0;
    ClusterSpec spec;
    std::optional<geometry::PeriodicCell> cell;  // when the frame repeats along some axis
    std::vector<std::uint64_t> atom_lines;       // the input line of each atom, in atom order
};

using FramePiece = std::variant<FrameText, FrameFailure>;
using FrameResult = std::variant<Frame, FrameFailure>;

// The failure's message as one text, with the note on the undivided rest:
// "...; the file cannot be divided into frames from line N on". The first
// frame's needs none: its text is the whole file's, and it says as much as
// parse_xyz says of it.
std::string failure_text(const FrameFailure& failure);

}  // namespace quorv::xyz
