// A run of frames of a multi-frame (extended) XYZ file linted as the command
// lints them: divided and read by the core's frame reader (Properties
// columns, Lattice and pbc included), each frame linted as a molecule or over
// its periodic images, every finding located on a line of the file. The data
// set's mapping adds a charge and multiplicity where a comment line states
// none, and a unit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "dataset/frame_results.h"
#include "dataset/xyz_file_frames.h"
#include "lib/lint.h"

namespace quorv::dataset {

struct FrameDefaults {
    std::optional<std::int64_t> charge;        // used where the comment line gives none
    std::optional<std::int64_t> multiplicity;  // likewise
    double scale = 1.0;                        // what one unit of the coordinates is in ångström
};

// Lints at most `frames` frames from `start` (fewer where the file ends
// before), numbered from 0 there, or returns the errno of a failed open or
// read.
std::variant<FrameResults, int> lint_xyz_range(const std::string& path, const FrameStart& start,
                                               std::uint64_t frames, const FrameDefaults& defaults, RuleSet rules);

}  // namespace quorv::dataset
