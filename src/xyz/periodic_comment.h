// The periodic cell of an extended XYZ frame, from Lattice= and pbc=.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "lib/geometry/periodic_cell.h"
#include "xyz/extended_keys.h"

namespace quorv::xyz {

// The cell when the frame repeats along some axis; nothing for a molecule;
// or the error text of a Lattice or pbc that does not read.
//
// Lattice is nine numbers, the cell vectors a, b, c one after the other;
// pbc is three flags (T or F, True or False in the letter cases ASE writes,
// separated by blanks or commas) or one flag for all three axes. As ASE
// reads them, a Lattice without pbc repeats along all three axes. A frame
// is a molecule when no axis repeats (pbc="F F F") or when it has no
// Lattice (pbc alone gives no cell to repeat).
std::variant<std::optional<geometry::PeriodicCell>, std::string> read_periodic_cell(const ExtendedKeys& keys);

}  // namespace quorv::xyz
