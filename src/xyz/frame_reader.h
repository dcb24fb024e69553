// The frames of a multi-frame XYZ text (a trajectory, an extended XYZ data
// set), read as a stream.
//
// A frame is a count line, a comment line and as many non-blank atom lines
// as the count declares (blank lines among them are skipped, as the
// single-frame reader skips them); the next non-blank line after a frame
// starts the next one, and the first frame starts at the first line. Each
// frame is read exactly as parse_xyz reads that frame's text alone, except
// that its comment line's extended keys count (Properties=, Lattice=, pbc=;
// see read_first_frame).
//
// Reading happens in two steps, so that the costly one can run on many
// threads: dividing the bytes into frame texts (FrameDivider, over a buffer
// the caller keeps, or a FrameReader that hands each frame out as a text of
// its own), and read_frame, which turns one frame text into a cluster or a
// failure (UsualFrameReader reads the usual frames of a data set quicker,
// with the same result). Every frame of the input comes out as exactly one
// frame text or one FrameFailure, in order, so frames in = frames read +
// frames failed.
//
//     FrameReader reader;
//     while (reading a chunk) {
//         reader.feed(chunk);
//         while (auto piece = reader.next()) handle(*piece);
//     }
//     reader.finish();
//     while (auto piece = reader.next()) handle(*piece);
//
// where handle() passes a FrameText to read_frame and lints a Frame with
// front::lint_frame(frame, sink) (lint(frame.spec, frame.cell, sink) with
// each finding located at the frame and a line of the input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xyz/frame_divider.h"
#include "xyz/frame_pieces.h"

namespace quorv::xyz {

// Divides chunks of input into frame texts, each a copy of its bytes, for
// callers that want every frame as a text of its own (the data-set tools);
// the command divides its own buffers with a FrameDivider.
class FrameReader {
public:
    // The next bytes of the input.
    void feed(std::string_view bytes);
    // The input has ended; what is left comes out of next().
    void finish();
    // The next frame text or failure, in input order; nothing when more
    // bytes are needed (or, after finish(), when everything is out).
    std::optional<FramePiece> next();

private:
    void hand_out();

    std::string buffer_;
    FrameDivider divider_;
    std::vector<DividedPiece> divided_;
    std::deque<FramePiece> ready_;
    bool finished_ = false;
};

// Reads one frame text: the cluster with the cell and each atom's line, or
// the failure. A frame whose bytes are not all UTF-8 fails (not_utf8).
FrameResult read_frame(const FrameText& frame);

// The same into `into`, whose storage is reused (a thread that reads frame
// after frame allocates nothing once it has read the largest): nothing when
// the frame reads, else the failure, with `into` left partly filled.
std::optional<FrameFailure> read_frame(const FrameText& frame, Frame& into);

// The same for a frame's text that stays where it was divided.
std::optional<FrameFailure> read_frame(std::string_view text, std::uint64_t index, std::uint64_t first_line,
                                       Frame& into);

}  // namespace quorv::xyz
