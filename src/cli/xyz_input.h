// An XYZ input, read as a stream and linted frame by frame: memory bounded
// by its largest frame and the blocks in flight, never by its size.
#pragma once

#include <string>

#include "cli/frame_pool.h"
#include "cli/input_lint.h"
#include "cli/input_report.h"
#include "cli/input_walk.h"

namespace quorv::cli {

// Reads the input in blocks, divides it into frames and lints them (a large
// input in relay with the helpers of `frames`), handing on every finding and
// failure in file order, each at its frame and line. The input counts as
// linted when some frame was; its failed frames fail the run all the same
// (RunTotals). `buffer` is not used: an XYZ input is read into blocks of
// the thread's own.
InputOutcome lint_xyz_input(Input& input, const RunSettings& run, InputReport& report, std::string& buffer,
                            FramePool& frames);

}  // namespace quorv::cli
