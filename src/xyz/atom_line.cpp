#include "xyz/atom_line.h"

#include <array>

#include "text/format.h"
#include "xyz/coordinate_number.h"
#include "xyz/element_symbol.h"
#include "xyz/tokens.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kNoElement = "atom line {} has no element";
constexpr std::string_view kMissingCoordinate = "atom line {} is missing the {} coordinate";
constexpr std::string_view kNotANumber = "atom line {}: {} coordinate is not a number";

constexpr std::array<std::string_view, 3> kAxisNames = {"x", "y", "z"};

}  // namespace

std::optional<ReadError> read_atom_line(std::string_view line, std::uint64_t line_number, Atom& atom) {
    TokenReader tokens(line);
    const auto element = tokens.next();
    if (!element) return ReadError{fill(kNoElement, {decimal(line_number)})};

    std::array<double*, 3> coordinates = {&atom.x, &atom.y, &atom.z};
    for (std::size_t axis = 0; axis < kAxisNames.size(); ++axis) {
        // Each coordinate is judged in full before the next one is looked at.
        const auto token = tokens.next();
        if (!token) return ReadError{fill(kMissingCoordinate, {decimal(line_number), kAxisNames[axis]})};
        if (!read_coordinate(*token, *coordinates[axis])) return coordinate_not_a_number(line_number, axis);
    }
    normalise_element(*element, atom.element);
    return std::nullopt;
}

ReadError coordinate_not_a_number(std::uint64_t line_number, std::size_t axis) {
    return ReadError{fill(kNotANumber, {decimal(line_number), kAxisNames[axis]})};
}

}  // namespace quorv::xyz
