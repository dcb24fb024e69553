// The first frame of an XYZ text: header count, comment line, then the atom
// lines, in one forward pass.
#include "xyz/first_frame.h"

#include <algorithm>
#include <utility>

#include "text/format.h"
#include "text/white_space.h"
#include "xyz/atom_columns.h"
#include "xyz/atom_line.h"
#include "xyz/comment_line.h"
#include "xyz/count_line.h"
#include "text/integers.h"
#include "xyz/frame_comment.h"
#include "xyz/quoted_text.h"
#include "xyz/text_lines.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kEmptyFile = "empty file";
constexpr std::string_view kNotAnAtomCount = "first line must be the atom count, got {}";
constexpr std::string_view kCountMismatch = "header declares {} atom(s) but {} were found";

// Room for the atoms the rest of the text can hold at most, never more than
// declared: a header may declare far more atoms than memory holds.
std::size_t atoms_to_reserve(std::uint64_t declared, std::size_t remaining_bytes) {
    return static_cast<std::size_t>(std::min(declared, most_atoms_in(remaining_bytes)));
}

// The lines of the text before the first atom line: the count and the comment.
constexpr std::uint64_t kCountLine = 1;
constexpr std::uint64_t kCommentLine = 2;

std::optional<ReadError> failed_at(std::uint64_t line, ReadError error, FrameDetails* details) {
    if (details != nullptr) details->failure_line = line;
    return error;
}

}  // namespace

std::optional<ReadError> read_first_frame(std::string_view text, ClusterSpec& spec, FrameDetails* details) {
    spec.atoms.clear();
    spec.ecp_elements.clear();
    spec.metal_oxidation_state.reset();
    if (details != nullptr) {
        details->atom_lines.clear();
        details->cell.reset();
    }
    LineReader lines(text);

    const auto header = lines.next();
    if (!header) return failed_at(kCountLine, ReadError{std::string(kEmptyFile)}, details);
    const auto declared = read_count_line(*header);
    if (!declared) {
        return failed_at(kCountLine, ReadError{fill(kNotAnAtomCount, {quoted(trim_white_space(*header))})}, details);
    }

    // The second line is the comment line, whatever it holds.
    const std::string_view comment = lines.next().value_or(std::string_view{});
    // With details, the comment line's extended keys count too.
    std::optional<AtomColumns> columns;
    ChargeAndMultiplicity charge_and_multiplicity;
    if (details == nullptr) {
        charge_and_multiplicity = read_comment_line(comment);
    } else {
        auto read = read_frame_comment(comment);
        if (auto* error = std::get_if<ReadError>(&read)) return failed_at(kCommentLine, std::move(*error), details);
        auto& frame_comment = std::get<FrameComment>(read);
        charge_and_multiplicity = frame_comment.charge_and_multiplicity;
        columns = frame_comment.columns;
        details->cell = std::move(frame_comment.cell);
    }
    spec.charge = charge_and_multiplicity.charge;
    spec.spin_multiplicity = charge_and_multiplicity.spin_multiplicity;

    spec.atoms.reserve(atoms_to_reserve(*declared, lines.remaining_bytes()));
    if (details != nullptr) details->atom_lines.reserve(spec.atoms.capacity());

    // Atom lines are numbered from the first line after the comment, blank
    // lines included, so that a message points at the right line.
    std::uint64_t line_number = 0;
    while (const auto line = lines.next()) {
        ++line_number;
        // A blank line is skipped, but its number is used up all the same.
        if (skip_white_space(*line, 0) == line->size()) continue;
        Atom& atom = spec.atoms.emplace_back();
        auto error = columns ? read_atom_columns(*line, line_number, *columns, atom)
                             : read_atom_line(*line, line_number, atom);
        if (error) return failed_at(kCommentLine + line_number, std::move(*error), details);
        if (details != nullptr) details->atom_lines.push_back(kCommentLine + line_number);
        // Stop at the declared count: later frames of a trajectory are never read.
        if (spec.atoms.size() == *declared) return std::nullopt;
    }

    if (spec.atoms.size() != *declared) {
        return failed_at(
            kCountLine,
            ReadError{fill(kCountMismatch, {decimal(*declared), decimal(std::uint64_t{spec.atoms.size()})})},
            details);
    }
    return std::nullopt;
}

}  // namespace quorv::xyz
