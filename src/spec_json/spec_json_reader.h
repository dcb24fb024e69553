// The cluster-spec JSON reader: strict JSON text in, a cluster or one error out.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lib/cluster.h"

namespace quorv {

// On failure the error text ends in " at line L column C".
ReadResult parse_spec_json(std::string_view text);

// Per atom, in atom order, the 1-based line on which its value (its object
// or array) starts: where a finding about the atom points in the text.
using AtomLines = std::vector<std::uint64_t>;

// The same, and the line of each atom into `atom_lines` (emptied on failure).
ReadResult parse_spec_json(std::string_view text, AtomLines& atom_lines);

// Per atom, in atom order, the byte at which its value starts: cheaper to
// note than its line, which most texts never need (lines_of_positions
// turns them into lines in one pass, when a finding names an atom).
using AtomStarts = std::vector<std::uint64_t>;
ReadResult parse_spec_json_with_starts(std::string_view text, AtomStarts& atom_starts);

// The 1-based line of each position, for positions in increasing order.
AtomLines lines_of_positions(std::string_view text, const AtomStarts& positions);

namespace spec_json {

// The keys of a cluster spec's object form, in the order of its array form.
inline constexpr std::array<std::string_view, 5> kSpecKeys{
    "atoms", "charge", "spin_multiplicity", "ecp_elements", "metal_oxidation_state"};

// Atoms of the usual shape go through a fast path that hands everything
// else to the general reader; reading with the general reader alone must
// give the same result, which tests and the fuzz target check.
enum class AtomPath { UsualShapeFirst, GeneralOnly };

// `atom_starts` may be null.
ReadResult parse_spec_json_by(std::string_view text, AtomPath path, AtomStarts* atom_starts);

}  // namespace spec_json

}  // namespace quorv
