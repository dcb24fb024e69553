#include "xyz/atom_line.h"

#include "text/format.h"
#include "xyz/atom_tokens.h"
#include "xyz/short_line_tokens.h"
#include "xyz/tokens.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kNotANumber = "atom line {}: {} coordinate is not a number";

}  // namespace

std::optional<ReadError> read_atom_line(std::string_view line, std::uint64_t line_number, Atom& atom) {
    if (ShortLineTokens short_line; short_line.split(line)) return read_plain_atom(short_line, line_number, atom);
    TokenReader tokens(line);
    return read_plain_atom(tokens, line_number, atom);
}

ReadError coordinate_not_a_number(std::uint64_t line_number, std::size_t axis) {
    return ReadError{fill(kNotANumber, {decimal(line_number), atom_tokens_detail::kAxisNames[axis]})};
}

}  // namespace quorv::xyz
