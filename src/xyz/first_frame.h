// The one reading of a frame's text that parse_xyz and the frame reader share.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/periodic_cell.h"

namespace quorv::xyz {

// What the frame reader learns from a text besides its cluster. Lines are
// those of the text, counted from 1 at the count line.
struct FrameDetails {
    std::vector<std::uint64_t> atom_lines;       // the line of each atom
    std::uint64_t failure_line = 0;              // the line a failure is about
    std::optional<geometry::PeriodicCell> cell;  // when the frame repeats
};

// Reads the first frame of `text` into `spec` exactly as parse_xyz does,
// which is this with no details, and returns nothing; or returns the error,
// leaving `spec` partly filled. Whatever `spec` and `details` held before is
// replaced, their storage reused, so that a thread reading frame after frame
// allocates nothing once it has read the largest. With details, the comment
// line's extended keys count too: Properties= chooses the columns of the
// atom lines, Lattice= and pbc= the cell; a key that does not read fails the
// frame on its comment line.
std::optional<ReadError> read_first_frame(std::string_view text, ClusterSpec& spec, FrameDetails* details);

}  // namespace quorv::xyz
