#include "dataset/frame_lint.h"

namespace quorv::dataset {

namespace {

constexpr const char* kPreviewOfPeriodic =
    "periodic frame not linted: the preview rules judge molecules only (lint it without preview to measure it "
    "over its periodic images)";

}  // namespace

void lint_frame_into(const ClusterSpec& spec, const std::optional<geometry::PeriodicCell>& cell, RuleSet rules,
                     FindingSink& sink, FrameResults& results, std::optional<std::uint64_t> line) {
    if (rules == RuleSet::Preview) {
        if (cell) return results.add_failed(kPreviewOfPeriodic, line);
        lint(spec, rules, sink);
    } else {
        lint(spec, cell, sink);
    }
    results.add_linted(shortest_contacts(spec.atoms, cell));
}

}  // namespace quorv::dataset
