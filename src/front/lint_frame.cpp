#include "front/lint_frame.h"

#include "front/atom_locations.h"

namespace quorv::front {

void lint_frame(const xyz::Frame& frame, FindingSink& sink) {
    AtomLocations located(frame.atom_lines, sink, frame.index, frame.first_line);
    lint(frame.spec, frame.cell, located);
}

}  // namespace quorv::front
