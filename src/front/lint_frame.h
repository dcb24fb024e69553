// Linting one frame of a multi-frame XYZ file, with every finding located
// in the file: what the command and the data-set tools do with each frame
// the frame reader hands out.
#pragma once

#include <optional>
#include <string_view>

#include "lib/lint.h"
#include "xyz/frame_reader.h"

namespace quorv::front {

// The preview rules judge molecules only; a periodic frame is not linted
// with them, and fails with this text instead of being judged as a molecule.
inline constexpr std::string_view kPreviewOfPeriodic =
    "periodic frame not linted: the preview rules judge molecules only (lint it without preview to measure it "
    "over its periodic images)";

// Lints the frame (over its periodic images when it has a cell) and hands
// each finding to the sink in its final order, its location carrying the
// frame's index and a line of the input: the line of the first atom the
// finding names, else the frame's count line. Returns the failure text of a
// frame the rule set cannot judge.
std::optional<std::string_view> lint_frame(const xyz::Frame& frame, FindingSink& sink,
                                           RuleSet rules = RuleSet::Strict);

}  // namespace quorv::front
