// The frames of an XYZ file as the core's frame reader divides them, read
// from the start of any frame's count line: a data set's partition starts
// there, without reading the frames before it. Frames are numbered from 0
// at that start; lines are the file's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "xyz/frame_reader.h"

namespace quorv::dataset {

// Where a frame's count line starts in the file.
struct FrameStart {
    std::uint64_t offset = 0;  // in bytes
    std::uint64_t line = 1;    // counted from 1
};

// The number of a piece's frame, and the line it starts on: a frame text's
// count line, or the line of a count line that does not read.
std::uint64_t piece_index(const xyz::FramePiece& piece);
std::uint64_t piece_line(const xyz::FramePiece& piece);

// Sees each chunk of the file before the frame reader does, with the file
// offset of its first byte.
using ChunkObserver = std::function<void(std::string_view chunk, std::uint64_t offset)>;
// Takes each frame text or failure in order, its lines already the file's;
// false stops the reading.
using PieceHandler = std::function<bool(xyz::FramePiece&& piece)>;

// Reads the file from `start` to its end (or until `handle` stops it, or a
// count line leaves the rest undivided). Returns 0, or the errno of the open
// or read that failed: ESPIPE for a file that is no regular file.
int read_file_frames(const std::string& path, const FrameStart& start, const ChunkObserver& observe,
                     const PieceHandler& handle);

}  // namespace quorv::dataset
