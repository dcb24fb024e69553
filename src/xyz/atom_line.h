// One atom line of an XYZ text: an element and three coordinates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "lib/cluster.h"

namespace quorv::xyz {

// Reads a non-blank atom line into `atom`, with its element normalised, and
// returns nothing; or returns the error that the line is, leaving `atom`
// partly filled. Tokens after the z coordinate are ignored (a per-atom
// charge, say). Errors name the line by `line_number`, counted from the first
// line after the comment. The atom is filled in place so that its element
// text is copied only once, from the line into the cluster.
std::optional<ReadError> read_atom_line(std::string_view line, std::uint64_t line_number, Atom& atom);

}  // namespace quorv::xyz
