// The usual shape of an atom, read in one pass without the general reader's
// bookkeeping: nearly every atom of a real file looks like this, and the
// general reader spends most of its time on keys, fields and lexer states
// that such an atom does not need.
//
// The usual shape is the object {"element": "...", "x": n, "y": n, "z": n}
// with exactly these keys in this order, or the array ["...", n, n, n]; JSON
// blanks of any kind between the tokens; an element of printable ASCII with
// no escape; numbers without exponent and with at most 19 digits. Anything
// else is refused with nothing consumed, and the general reader reads the
// atom from its first byte: so every error, and every unusual atom, is the
// general reader's alone. What is accepted here is accepted there, with the
// same element and bit for bit the same coordinates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lib/cluster.h"

namespace quorv::spec_json {

// `position` is the atom's first byte ('{' or '['). On success the atom is
// stored and `position` moves past its closing brace or bracket; otherwise
// `position` stays and `atom` may hold parts of the attempt.
bool read_usual_atom(std::string_view text, std::size_t& position, Atom& atom);

// After an atom of a list, the commas (blanks around them) and atoms of the
// usual shape that follow, for as long as they come and `atoms` holds fewer
// than `most`: each is appended to `atoms`, and the byte at which its value
// starts to `starts` when that is not null. `position` moves past the last
// atom read, and stays when none is.
void read_usual_atoms_that_follow(std::string_view text, std::size_t& position, std::vector<Atom>& atoms,
                                  std::size_t most, std::vector<std::uint64_t>* starts);

}  // namespace quorv::spec_json
