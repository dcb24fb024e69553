#include "front/lint_frame.h"

namespace quorv::front {

void FrameLocations::accept(Finding&& finding) {
    Location& location = finding.location();
    location.set_frame(frame_.index);
    const auto atoms = location.atoms();
    location.set_line(atoms.empty() ? frame_.first_line : frame_.atom_lines[atoms.front()]);
    sink_.accept(std::move(finding));
}

void lint_frame(const xyz::Frame& frame, FindingSink& sink) {
    FrameLocations located(frame, sink);
    lint(frame.spec, frame.cell, located);
}

}  // namespace quorv::front
