// One atom of the "atoms" list: an object with "element", "x", "y" and "z",
// or an array of those four in that order.
#pragma once

#include <string>

#include "lib/cluster.h"
#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

// The atom's first byte is next (blanks skipped). `scratch` is for dropped strings.
bool read_atom(ByteCursor& cursor, Atom& atom, std::string& scratch);

}  // namespace quorv::spec_json
