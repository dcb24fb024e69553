// The XYZ reader: header count, comment line, then the atom lines of the
// first frame, in one forward pass.
#include "xyz/xyz_reader.h"

#include <algorithm>
#include <utility>

#include "text/format.h"
#include "text/white_space.h"
#include "xyz/atom_line.h"
#include "xyz/comment_line.h"
#include "text/integers.h"
#include "xyz/quoted_text.h"
#include "xyz/text_lines.h"

namespace quorv {

namespace {

constexpr std::string_view kEmptyFile = "empty file";
constexpr std::string_view kNotAnAtomCount = "first line must be the atom count, got {}";
constexpr std::string_view kCountMismatch = "header declares {} atom(s) but {} were found";

// The shortest atom line, "H 0 0 0", with its line feed: no text can hold more
// atoms than its bytes divided by this (plus a last line without line feed).
constexpr std::size_t kShortestAtomLineBytes = 8;

// Room for the atoms the rest of the text can hold at most, never more than
// declared: a header may declare far more atoms than memory holds.
std::size_t atoms_to_reserve(std::uint64_t declared, std::size_t remaining_bytes) {
    const std::uint64_t fit_in_text = (remaining_bytes + 1) / kShortestAtomLineBytes;
    return static_cast<std::size_t>(std::min(declared, fit_in_text));
}

}  // namespace

ReadResult parse_xyz(std::string_view text) {
    xyz::LineReader lines(text);

    const auto header = lines.next();
    if (!header) return ReadError{std::string(kEmptyFile)};
    const std::string_view count_text = trim_white_space(*header);
    const auto declared = parse_unsigned64(count_text);
    if (!declared) return ReadError{fill(kNotAnAtomCount, {xyz::quoted(count_text)})};

    // The second line is the comment line, whatever it holds.
    const std::string_view comment = lines.next().value_or(std::string_view{});
    const auto [charge, spin_multiplicity] = xyz::read_comment_line(comment);

    ClusterSpec spec;
    spec.charge = charge;
    spec.spin_multiplicity = spin_multiplicity;
    spec.atoms.reserve(atoms_to_reserve(*declared, lines.remaining_bytes()));

    // Atom lines are numbered from the first line after the comment, blank
    // lines included, so that a message points at the right line.
    std::uint64_t line_number = 0;
    while (const auto line = lines.next()) {
        ++line_number;
        // A blank line is skipped, but its number is used up all the same.
        if (skip_white_space(*line, 0) == line->size()) continue;
        if (auto error = xyz::read_atom_line(*line, line_number, spec.atoms.emplace_back())) return std::move(*error);
        // Stop at the declared count: later frames of a trajectory are never read.
        if (spec.atoms.size() == *declared) return spec;
    }

    if (spec.atoms.size() != *declared) {
        return ReadError{fill(kCountMismatch, {decimal(*declared), decimal(std::uint64_t{spec.atoms.size()})})};
    }
    return spec;
}

}  // namespace quorv
