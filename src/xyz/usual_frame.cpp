#include "xyz/usual_frame.h"

#include <algorithm>

#include "text/integers.h"
#include "text/white_space.h"
#include "xyz/atom_tokens.h"
#include "xyz/line_masks.h"

namespace quorv::xyz {

namespace {

// The lines of a frame's text before its first atom line: the count and the comment.
constexpr std::uint64_t kLinesBeforeAtoms = 2;

// The shortest atom line with its line feed ("H 0 0 0"): a text holds no
// more atoms than its bytes divided by this.
constexpr std::size_t kShortestAtomLineBytes = 8;

// The line of `text` from `begin` as the single-frame reader takes it (a
// carriage return just before its line feed dropped); `begin` moves past
// its line feed.
std::string_view take_line(std::string_view text, std::size_t& begin) {
    const std::size_t line_feed = text.find('\n', begin);
    const std::size_t end = line_feed == std::string_view::npos ? text.size() : line_feed;
    std::string_view line = text.substr(begin, end - begin);
    begin = line_feed == std::string_view::npos ? text.size() : line_feed + 1;
    if (line_feed != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

bool UsualFrameReader::read(std::string_view text, std::uint64_t index, std::uint64_t first_line, Frame& into) {
    std::size_t position = 0;
    const auto declared = parse_unsigned64(trim_white_space(take_line(text, position)));
    if (!declared) return false;
    // No line after the count line: the empty comment line.
    const std::string_view comment = position < text.size() ? take_line(text, position) : std::string_view{};
    const auto* reading = std::get_if<FrameComment>(&comments_.read(comment));
    if (reading == nullptr) return false;

    ClusterSpec& spec = into.spec;
    spec.atoms.clear();
    spec.ecp_elements.clear();
    spec.metal_oxidation_state.reset();
    spec.charge = reading->charge_and_multiplicity.charge;
    spec.spin_multiplicity = reading->charge_and_multiplicity.spin_multiplicity;
    into.atom_lines.clear();
    const auto room = static_cast<std::size_t>(std::min<std::uint64_t>(*declared, text.size() / kShortestAtomLineBytes + 1));
    spec.atoms.reserve(room);
    into.atom_lines.reserve(room);

    LineMasks line;
    for (std::uint64_t atom_line = 1; atom_line <= *declared; ++atom_line) {
        // No line left, a long one or a blank one: the frame is not usual.
        if (position >= text.size() || !line.split(text, position)) return false;
        position += line.length() + 1;
        Atom& atom = spec.atoms.emplace_back();
        const auto error = reading->columns ? read_atom_by_columns(line, atom_line, *reading->columns, atom)
                                            : read_plain_atom(line, atom_line, atom);
        if (error) return false;
        into.atom_lines.push_back(first_line + kLinesBeforeAtoms + atom_line - 1);
    }
    // With no atoms declared, any line after the comment is read as an atom line.
    if (*declared == 0 && position < text.size()) return false;
    into.index = index;
    into.first_line = first_line;
    into.cell = reading->cell;
    return true;
}

}  // namespace quorv::xyz
