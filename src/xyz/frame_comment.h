// The comment line of a frame in a multi-frame file: charge and
// multiplicity as a single-frame text has them, and the extended keys that
// change how the frame is read (Properties=, Lattice=, pbc=).
#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "lib/cluster.h"
#include "lib/geometry/periodic_cell.h"
#include "xyz/atom_columns.h"
#include "xyz/comment_line.h"

namespace quorv::xyz {

struct FrameComment {
    ChargeAndMultiplicity charge_and_multiplicity;
    std::optional<AtomColumns> columns;          // nothing: atom lines as a plain XYZ text has them
    std::optional<geometry::PeriodicCell> cell;  // when the frame repeats along some axis
};

// What the comment line says, or the error of an extended key that does not
// read (the frame then fails on its comment line).
std::variant<FrameComment, ReadError> read_frame_comment(std::string_view comment);

}  // namespace quorv::xyz
