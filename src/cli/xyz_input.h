// An XYZ input, read as a stream and linted frame by frame: memory bounded
// by its largest frame and the batches in flight, never by its size.
#pragma once

#include <string>

#include "cli/frame_pool.h"
#include "cli/input_lint.h"
#include "cli/input_report.h"
#include "cli/input_walk.h"

namespace quorv::cli {

// Reads the input in chunks through `buffer`, divides it into frames and
// lints them, on `frames` too, handing on every finding and failure in file
// order, each at its frame and line. The input counts as linted when some
// frame was; its failed frames fail the run all the same (RunTotals).
InputOutcome lint_xyz_input(Input& input, const RunSettings& run, InputReport& report, std::string& buffer,
                            FramePool& frames);

}  // namespace quorv::cli
