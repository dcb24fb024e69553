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
// threads: a FrameReader, fed the bytes in chunks of any size, divides them
// into frame texts (holding no more than the frame it is in and the chunk
// it was given), and read_frame turns one frame text into a cluster or a
// failure. Every frame of the input comes out as exactly one FrameText or
// one FrameFailure, in order, so frames in = frames read + frames failed.
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
#include <variant>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/periodic_cell.h"

namespace quorv::xyz {

// One frame's text: its lines from the count line to the last atom line,
// with their line ends, as they stand in the input.
struct FrameText {
    std::uint64_t index = 0;       // counted from 0
    std::uint64_t first_line = 0;  // the count line's line in the input, counted from 1
    std::string text;
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
    enum class State : std::uint8_t { FirstCountLine, Between, Comment, Atoms, Undivided };

    // Takes the complete lines of the buffer through the states.
    void divide();
    void take_line(std::size_t begin, std::size_t content_end, std::size_t end);
    void start_frame(std::string_view count_line, std::size_t begin, std::size_t end);
    void end_frame(std::size_t end);
    void drop_through(std::size_t end);

    std::string buffer_;
    std::size_t scanned_ = 0;      // bytes of buffer_ already split into lines
    std::size_t searched_ = 0;     // bytes of buffer_ already searched for a line feed
    std::size_t frame_begin_ = 0;  // where the frame being divided starts in buffer_
    State state_ = State::FirstCountLine;
    bool finished_ = false;
    std::uint64_t line_ = 0;  // lines taken so far
    std::uint64_t frames_ = 0;
    std::uint64_t first_line_ = 0;
    std::uint64_t declared_ = 0;
    std::uint64_t atoms_ = 0;
    std::deque<FramePiece> ready_;
    // The failure of a count line that does not read waits for the end of
    // the input: it is the last piece, and whether the rest is UTF-8 decides
    // which failure it is.
    std::optional<FrameFailure> undivided_;
};

// Reads one frame text: the cluster with the cell and each atom's line, or
// the failure. A frame whose bytes are not all UTF-8 fails (not_utf8).
FrameResult read_frame(const FrameText& frame);

// The same into `into`, whose storage is reused (a thread that reads frame
// after frame allocates nothing once it has read the largest): nothing when
// the frame reads, else the failure, with `into` left partly filled.
std::optional<FrameFailure> read_frame(const FrameText& frame, Frame& into);

}  // namespace quorv::xyz
