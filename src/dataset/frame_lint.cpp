#include "dataset/frame_lint.h"

#include <string>

#include "front/lint_frame.h"

namespace quorv::dataset {

void lint_frame_into(const ClusterSpec& spec, const std::optional<geometry::PeriodicCell>& cell, RuleSet rules,
                     FindingSink& sink, FrameResults& results, std::optional<std::uint64_t> line) {
    if (rules == RuleSet::Preview) {
        if (cell) return results.add_failed(std::string(front::kPreviewOfPeriodic), line);
        lint(spec, rules, sink);
    } else {
        lint(spec, cell, sink);
    }
    results.add_linted(shortest_contacts(spec.atoms, cell));
}

}  // namespace quorv::dataset
