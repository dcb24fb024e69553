// Linting one frame of a multi-frame XYZ file, with every finding located
// in the file: what the command and the data-set tools do with each frame
// the frame reader hands out.
#pragma once

#include "lib/lint.h"
#include "xyz/frame_reader.h"

namespace quorv::front {

// Lints the frame (over its periodic images when it has a cell) and hands
// each finding to the sink in its final order, its location carrying the
// frame's index and a line of the input: the line of the first atom the
// finding names, else the frame's count line.
void lint_frame(const xyz::Frame& frame, FindingSink& sink);

}  // namespace quorv::front
