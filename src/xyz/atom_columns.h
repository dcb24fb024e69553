// Atom lines laid out by an extended XYZ Properties= key, such as
// species:S:1:pos:R:3:forces:R:3 or Z:I:1:species:S:1:pos:R:3: a list of
// name:type:columns triples, type S (text), R (real), I (integer) or L
// (logical), telling which whitespace-separated columns of each atom line
// hold what.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "lib/cluster.h"

namespace quorv::xyz {

struct AtomColumns {
    std::size_t total = 0;     // columns every atom line must have (more are ignored)
    std::size_t element = 0;   // the species column, or else the Z column
    bool element_is_atomic_number = false;
    std::size_t position = 0;  // the first of the three pos columns

    // species first, pos next, nothing else: a plain XYZ line.
    bool plain() const { return total == 4 && element == 0 && !element_is_atomic_number && position == 1; }
};

// The layout a Properties value gives, or the error text of one that does
// not describe atoms: it must name pos as R:3 and species as S:1 or, when
// species is missing, Z as I:1 (whose numbers become element symbols).
// Other names (forces, charges, masks...) are columns to step over,
// whatever their type.
std::variant<AtomColumns, std::string> read_properties(std::string_view value);

// Reads a non-blank atom line by the layout, as the plain reader reads its
// lines: the element (normalised like a plain element; a Z of 1 to 118 as its
// symbol, any other whole number as written) and the coordinates by the same
// grammar, failing with "atom line {}: {} coordinate is not a number". A line
// with fewer columns than the layout fails with the count of both.
std::optional<ReadError> read_atom_columns(std::string_view line, std::uint64_t line_number,
                                           const AtomColumns& columns, Atom& atom);

}  // namespace quorv::xyz
