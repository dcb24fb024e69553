// An atom line read from its tokens, whichever splitter hands them out
// (TokenReader, ShortLineTokens, LineMasks): each has next(token), which
// sets the next token or says there is none, and pass(most), how many of up
// to `most` more there were.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "lib/cluster.h"
#include "text/format.h"
#include "text/integers.h"
#include "xyz/atom_columns.h"
#include "xyz/atomic_symbols.h"
#include "xyz/coordinate_number.h"
#include "xyz/element_symbol.h"

namespace quorv::xyz {

namespace atom_tokens_detail {

inline constexpr std::string_view kNoElement = "atom line {} has no element";
inline constexpr std::string_view kMissingCoordinate = "atom line {} is missing the {} coordinate";
inline constexpr std::string_view kTooFewColumns = "atom line {} has {} columns but Properties declares {}";
inline constexpr std::string_view kNotAnAtomicNumber = "atom line {}: Z is not a whole number";
inline constexpr std::array<std::string_view, 3> kAxisNames = {"x", "y", "z"};

}  // namespace atom_tokens_detail

// "atom line {}: {} coordinate is not a number", axis 0, 1, 2 named x, y, z.
ReadError coordinate_not_a_number(std::uint64_t line_number, std::size_t axis);

// A plain atom line: the element, then x, y and z; later tokens are ignored.
// Each coordinate is judged in full before the next one is looked at.
template <typename Tokens>
std::optional<ReadError> read_plain_atom(Tokens& tokens, std::uint64_t line_number, Atom& atom) {
    using namespace atom_tokens_detail;
    std::string_view element;
    if (!tokens.next(element)) return ReadError{fill(kNoElement, {decimal(line_number)})};
    std::array<double*, 3> coordinates = {&atom.x, &atom.y, &atom.z};
    for (std::size_t axis = 0; axis < kAxisNames.size(); ++axis) {
        std::string_view token;
        if (!tokens.next(token)) return ReadError{fill(kMissingCoordinate, {decimal(line_number), kAxisNames[axis]})};
        if (!read_coordinate(token, *coordinates[axis])) return coordinate_not_a_number(line_number, axis);
    }
    normalise_element(element, atom.element);
    return std::nullopt;
}

// An atom line laid out by Properties: the element and the coordinates from
// their columns, every column the layout declares present.
template <typename Tokens>
std::optional<ReadError> read_atom_by_columns(Tokens& tokens, std::uint64_t line_number, const AtomColumns& columns,
                                              Atom& atom) {
    using namespace atom_tokens_detail;
    std::string_view element;
    std::array<std::string_view, 3> coordinates{};
    // The columns up to the last one read; those after it are only counted.
    const std::size_t read = std::max(columns.element, columns.position + 2) + 1;
    std::size_t column = 0;
    for (std::string_view token; column < read; ++column) {
        if (!tokens.next(token)) break;
        if (column == columns.element) element = token;
        if (column >= columns.position && column < columns.position + 3) coordinates[column - columns.position] = token;
    }
    if (column == read) column += tokens.pass(columns.total - read);
    if (column < columns.total) {
        return ReadError{fill(kTooFewColumns, {decimal(line_number), decimal(std::uint64_t{column}),
                                               decimal(std::uint64_t{columns.total})})};
    }

    if (columns.element_is_atomic_number) {
        const auto number = parse_signed64(element);
        if (!number) return ReadError{fill(kNotAnAtomicNumber, {decimal(line_number)})};
        atom.element = symbol_of_atomic_number(*number).value_or(element);
    } else {
        normalise_element(element, atom.element);
    }
    double* targets[] = {&atom.x, &atom.y, &atom.z};
    for (std::size_t axis = 0; axis < coordinates.size(); ++axis) {
        if (!read_coordinate(coordinates[axis], *targets[axis])) return coordinate_not_a_number(line_number, axis);
    }
    return std::nullopt;
}

}  // namespace quorv::xyz
