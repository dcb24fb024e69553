// One frame of a data set through the rules: a molecule, or a periodic frame
// over its images, with the rule set the run asked for.
#pragma once

#include <cstdint>
#include <optional>

#include "dataset/frame_results.h"
#include "lib/cluster.h"
#include "lib/geometry/periodic_cell.h"
#include "lib/lint.h"

namespace quorv::dataset {

// Lints the frame as the next one of `results`: its findings go to `sink`
// (which may locate them on their way to a FrameFindingSink of the results),
// its contacts to the results. The preview rules judge molecules only, so a
// periodic frame with them is not linted but added as a failure saying so,
// on `line` where the frame has one.
void lint_frame_into(const ClusterSpec& spec, const std::optional<geometry::PeriodicCell>& cell, RuleSet rules,
                     FindingSink& sink, FrameResults& results, std::optional<std::uint64_t> line = std::nullopt);

}  // namespace quorv::dataset
