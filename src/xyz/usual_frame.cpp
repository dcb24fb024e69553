#include "xyz/usual_frame.h"

#include <algorithm>

#include "text/integers.h"
#include "xyz/atom_tokens.h"
#include "xyz/atomic_symbols.h"
#include "xyz/count_line.h"
#include "xyz/line_masks.h"

namespace quorv::xyz {

namespace {

// The lines of a frame's text before its first atom line: the count and the comment.
constexpr std::uint64_t kLinesBeforeAtoms = 2;

// An atom line laid out by Properties, read as read_atom_by_columns reads
// it when it reads (straight from the line's tokens, which is what makes a
// frame cheap); false for anything else, which the general reader words.
bool read_usual_atom(const LineMasks& line, const AtomColumns& columns, Atom& atom) {
    if (line.count() < columns.total) return false;
    if (!read_coordinate(line.token(columns.position), atom.x) ||
        !read_coordinate(line.token(columns.position + 1), atom.y) ||
        !read_coordinate(line.token(columns.position + 2), atom.z)) {
        return false;
    }
    const std::string_view element = line.token(columns.element);
    if (!columns.element_is_atomic_number) {
        normalise_element(element, atom.element);
        return true;
    }
    const auto number = parse_signed64(element);
    if (!number) return false;
    atom.element = symbol_of_atomic_number(*number).value_or(element);
    return true;
}

}  // namespace

bool UsualFrameReader::read(std::string_view text, const FrameLayout& layout, std::uint64_t index,
                            std::uint64_t first_line, Frame& into, std::size_t* end) {
    const std::string_view comment = text.substr(layout.comment_begin, layout.comment_end - layout.comment_begin);
    const auto* reading = std::get_if<FrameComment>(&comments_.read(comment));
    if (reading == nullptr) return false;
    std::size_t position = layout.atoms_begin;

    // A text cannot hold more atoms than this; a count beyond it fails in the general reader.
    if (layout.declared > most_atoms_in(text.size())) return false;
    const auto atoms = static_cast<std::size_t>(layout.declared);

    ClusterSpec& spec = into.spec;
    spec.ecp_elements.clear();
    spec.metal_oxidation_state.reset();
    spec.charge = reading->charge_and_multiplicity.charge;
    spec.spin_multiplicity = reading->charge_and_multiplicity.spin_multiplicity;
    // The atoms of the last frame are overwritten: most frames of a data set
    // have the same count, and an element text of the same length is
    // rewritten in place.
    spec.atoms.resize(atoms);
    into.atom_lines.resize(atoms);

    // The tokens an atom line is read from; later ones are only counted.
    constexpr std::size_t kPlainTokens = 4;
    const std::optional<AtomColumns>& columns = reading->columns;
    const std::size_t read_tokens =
        columns ? std::max(columns->element, columns->position + 2) + 1 : kPlainTokens;
    if (read_tokens > LineMasks::kMostTokens) return false;
    LineMasks line;
    for (std::size_t atom = 0; atom < atoms; ++atom) {
        // No line left, a long one or a blank one: the frame is not usual.
        if (position >= text.size() || !line.split(text, position, read_tokens)) return false;
        position += line.length() + 1;
        const std::uint64_t atom_line = atom + 1;
        const bool read = columns ? read_usual_atom(line, *columns, spec.atoms[atom])
                                  : !read_plain_atom(line, atom_line, spec.atoms[atom]);
        if (!read) return false;
        into.atom_lines[atom] = first_line + kLinesBeforeAtoms + atom;
    }
    // With no atoms declared, any line after the comment is read as an atom line.
    if (layout.declared == 0 && position < text.size()) return false;
    into.index = index;
    into.first_line = first_line;
    into.cell = reading->cell;
    if (end != nullptr) *end = std::min(position, text.size());
    return true;
}

}  // namespace quorv::xyz
