// Which files the command lints, and as what, by the end of their names:
// ".py" is Python source, ".xyz" and ".extxyz" XYZ, ".json" a cluster spec,
// all matched without regard to letter case (WATER.XYZ is XYZ). The module's
// lint_file keeps its own byte-wise rule; the command follows its users' files.
#pragma once

#include <optional>
#include <string_view>

#include "front/input_kind.h"

namespace quorv::cli {

// The kind a directory search lints a file with this name as, or nothing
// for a name it leaves out.
std::optional<front::InputKind> searched_kind(std::string_view name);

// The kind of a file named on the command line: anything without a Python
// or XYZ suffix is read as a JSON cluster spec, whatever its name.
front::InputKind named_file_kind(std::string_view path);

}  // namespace quorv::cli
