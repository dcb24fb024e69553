#include "front/atom_locations.h"

namespace quorv::front {

void AtomLocations::accept(Finding&& finding) {
    Location& location = finding.location();
    if (frame_) location.set_frame(*frame_);
    const auto atoms = location.atoms();
    if (!atoms.empty() && atoms.front() < atom_lines_.size()) {
        location.set_line(atom_lines_[atoms.front()]);
    } else if (whole_input_line_) {
        location.set_line(*whole_input_line_);
    }
    sink_.accept(std::move(finding));
}

}  // namespace quorv::front
