// One atom line of an XYZ text: an element and three coordinates.
#pragma once

#include <cstdint>
#include <string_view>
#include <variant>

#include "lib/cluster.h"

namespace quorv::xyz {

// Reads a non-blank atom line into an atom with its element normalised.
// Tokens after the z coordinate are ignored (a per-atom charge, say). Errors
// name the line by `line_number`, counted from the first line after the comment.
std::variant<Atom, ReadError> read_atom_line(std::string_view line, std::uint64_t line_number);

}  // namespace quorv::xyz
