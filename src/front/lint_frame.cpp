#include "front/lint_frame.h"

#include "front/atom_locations.h"

namespace quorv::front {

std::optional<std::string_view> lint_frame(const xyz::Frame& frame, FindingSink& sink, RuleSet rules) {
    AtomLocations located(frame.atom_lines, sink, frame.index, frame.first_line);
    if (rules == RuleSet::Strict) {
        lint(frame.spec, frame.cell, located);
    } else if (frame.cell) {
        return kPreviewOfPeriodic;
    } else {
        lint(frame.spec, rules, located);
    }
    return std::nullopt;
}

}  // namespace quorv::front
