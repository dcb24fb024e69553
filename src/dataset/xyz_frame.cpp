#include "dataset/xyz_frame.h"

#include <limits>
#include <variant>

#include "dataset/frame_cluster.h"
#include "lib/lint.h"
#include "text/utf8.h"
#include "xyz/xyz_reader.h"

namespace quorv::dataset {

XyzFrameResult lint_xyz_frame(std::string_view text, const FrameDefaults& defaults) {
    constexpr double kNotMeasured = std::numeric_limits<double>::quiet_NaN();
    XyzFrameResult result{std::nullopt, {}, {kNotMeasured, kNotMeasured}};
    if (!is_valid_utf8(text)) {
        result.failure = "the frame is not UTF-8 text";
        return result;
    }
    ReadResult read = parse_xyz(text);
    if (auto* error = std::get_if<ReadError>(&read)) {
        result.failure = std::move(error->message);
        return result;
    }
    ClusterSpec& spec = std::get<ClusterSpec>(read);
    if (!spec.charge) spec.charge = defaults.charge;
    if (!spec.spin_multiplicity) spec.spin_multiplicity = multiplicity_as_read(defaults.multiplicity);
    if (defaults.scale != 1.0) {
        for (Atom& atom : spec.atoms) {
            atom.x *= defaults.scale;
            atom.y *= defaults.scale;
            atom.z *= defaults.scale;
        }
    }
    result.findings = lint(spec);
    result.contacts = shortest_contacts(spec.atoms);
    return result;
}

FrameResults lint_xyz_frames(const std::vector<std::string>& texts, const FrameDefaults& defaults) {
    FrameResults results;
    results.hydrogen_contacts.reserve(texts.size());
    results.heavy_contacts.reserve(texts.size());
    for (std::uint64_t frame = 0; frame < texts.size(); ++frame) {
        XyzFrameResult one = lint_xyz_frame(texts[frame], defaults);
        if (one.failure) results.failures.push_back({frame, std::move(*one.failure)});
        for (Finding& finding : one.findings) results.findings.push_back({frame, std::move(finding)});
        results.hydrogen_contacts.push_back(one.contacts.hydrogen);
        results.heavy_contacts.push_back(one.contacts.heavy);
    }
    return results;
}

}  // namespace quorv::dataset
