// Linting one frame of a multi-frame XYZ file, with every finding located
// in the file: what the command and the data-set tools do with each frame
// the frame reader hands out.
#pragma once

#include "lib/lint.h"
#include "xyz/frame_reader.h"

namespace quorv::front {

// Adds the frame's index and a line of the input to each finding on its way
// to the sink: the line of the first atom the finding names, else the
// frame's count line. For a caller that lints the frame's cluster its own
// way (with another rule set, say).
class FrameLocations final : public FindingSink {
public:
    FrameLocations(const xyz::Frame& frame, FindingSink& sink) : frame_(frame), sink_(sink) {}
    void accept(Finding&& finding) override;

private:
    const xyz::Frame& frame_;
    FindingSink& sink_;
};

// Lints the frame (over its periodic images when it has a cell) and hands
// each finding to the sink in its final order, located as FrameLocations
// locates it.
void lint_frame(const xyz::Frame& frame, FindingSink& sink);

}  // namespace quorv::front
