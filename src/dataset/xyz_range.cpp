#include "dataset/xyz_range.h"

#include "dataset/frame_cell.h"
#include "dataset/frame_cluster.h"
#include "dataset/frame_lint.h"
#include "front/atom_locations.h"
#include "text/utf8.h"

namespace quorv::dataset {

namespace {

// Messages keep to UTF-8, so that every output format can hold them.
constexpr const char* kNotUtf8 = "the frame is not UTF-8 text";

// The mapping's charge, multiplicity and unit; false with a failure added
// when the frame's cell, in ångström, is no cell.
bool apply_defaults(xyz::Frame& frame, const FrameDefaults& defaults, FrameResults& results) {
    ClusterSpec& spec = frame.spec;
    if (!spec.charge) spec.charge = defaults.charge;
    if (!spec.spin_multiplicity) spec.spin_multiplicity = multiplicity_as_read(defaults.multiplicity);
    if (defaults.scale == 1.0) return true;
    for (Atom& atom : spec.atoms) {
        atom.x *= defaults.scale;
        atom.y *= defaults.scale;
        atom.z *= defaults.scale;
    }
    if (!frame.cell) return true;
    CellOrProblem cell = cell_in_angstrom(*frame.cell, defaults.scale);
    if (auto* problem = std::get_if<std::string>(&cell)) {
        results.add_failed(std::move(*problem), frame.first_line);
        return false;
    }
    frame.cell = std::move(std::get<std::optional<geometry::PeriodicCell>>(cell));
    return true;
}

void lint_piece(xyz::FramePiece&& piece, const FrameDefaults& defaults, RuleSet rules, FrameResults& results) {
    if (const auto* failure = std::get_if<xyz::FrameFailure>(&piece)) {
        return results.add_failed(xyz::failure_text(*failure), failure->line);
    }
    const auto& text = std::get<xyz::FrameText>(piece);
    if (!is_valid_utf8(text.text)) return results.add_failed(kNotUtf8, text.first_line);
    xyz::FrameResult read = xyz::read_frame(text);
    if (const auto* failure = std::get_if<xyz::FrameFailure>(&read)) {
        return results.add_failed(xyz::failure_text(*failure), failure->line);
    }
    auto& frame = std::get<xyz::Frame>(read);
    if (!apply_defaults(frame, defaults, results)) return;
    FrameFindingSink sink(results);
    front::AtomLocations located(frame.atom_lines, sink, frame.index, frame.first_line);
    lint_frame_into(frame.spec, frame.cell, rules, located, results, frame.first_line);
}

}  // namespace

std::variant<FrameResults, int> lint_xyz_range(const std::string& path, const FrameStart& start,
                                               std::uint64_t frames, const FrameDefaults& defaults, RuleSet rules) {
    FrameResults results;
    const auto handle = [&](xyz::FramePiece&& piece) {
        if (results.frames() == frames) return false;
        lint_piece(std::move(piece), defaults, rules, results);
        return results.frames() < frames;
    };
    if (const int error = read_file_frames(path, start, nullptr, handle); error != 0) return error;
    return results;
}

}  // namespace quorv::dataset
