// The periodic cell of a frame from a data set, in ångström: from the cell
// vectors and periodic flags a source stores beside the positions, or a cell
// read from an XYZ comment line, converted to ångström as its atoms are.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>

#include "lib/geometry/periodic_cell.h"
#include "lib/geometry/vector3.h"

namespace quorv::dataset {

// The cell when the frame repeats along some axis, none for a molecule, or
// why the vectors make no cell the rules could measure in.
using CellOrProblem = std::variant<std::optional<geometry::PeriodicCell>, std::string>;

// `vectors` are the cell vectors a, b, c in the positions' unit, of which one
// is `scale` ångström; `periodic` says which repeat (the others are not read).
CellOrProblem cell_in_angstrom(const std::array<geometry::Vector3, 3>& vectors, const std::array<bool, 3>& periodic,
                               double scale);

// The same lattice with every length times `scale`.
CellOrProblem cell_in_angstrom(const geometry::PeriodicCell& cell, double scale);

}  // namespace quorv::dataset
