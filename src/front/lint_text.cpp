#include "front/lint_text.h"

#include <variant>

#include "front/atom_locations.h"
#include "source/seed_checker.h"
#include "spec_json/spec_json_reader.h"
#include "text/format.h"
#include "xyz/xyz_reader.h"

namespace quorv::front {

namespace {

constexpr std::string_view kNotClusterSpec = "not a valid cluster spec: {}";
constexpr std::string_view kNotXyz = "not a valid XYZ file: {}";

std::optional<std::string> lint_cluster(const ReadResult& result, std::string_view failure, FindingSink& sink,
                                        RuleSet rules) {
    if (const auto* error = std::get_if<ReadError>(&result)) return fill(failure, {error->message});
    lint(std::get<ClusterSpec>(result), rules, sink);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> lint_text(InputKind kind, std::string_view text, FindingSink& sink, RuleSet rules) {
    switch (kind) {
        case InputKind::PythonSource: lint_python_source(text, sink); return std::nullopt;
        case InputKind::Xyz: return lint_cluster(parse_xyz(text), kNotXyz, sink, rules);
        case InputKind::ClusterSpecJson: break;
    }
    return lint_cluster(parse_spec_json(text), kNotClusterSpec, sink, rules);
}

namespace {

// The lines of a spec's atoms, worked out from where they start when the
// first finding names an atom: most texts have no such finding.
class SpecAtomLocations final : public FindingSink {
public:
    SpecAtomLocations(std::string_view text, const AtomStarts& starts, FindingSink& sink)
        : text_(text), starts_(starts), sink_(sink) {}

    void accept(Finding&& finding) override {
        if (!finding.location().atoms().empty() && !located_) {
            lines_ = lines_of_positions(text_, starts_);
            located_.emplace(lines_, sink_);
        }
        if (located_) return located_->accept(std::move(finding));
        sink_.accept(std::move(finding));
    }

private:
    std::string_view text_;
    const AtomStarts& starts_;
    FindingSink& sink_;
    AtomLines lines_;
    std::optional<AtomLocations> located_;
};

}  // namespace

std::optional<std::string> lint_spec_json_with_lines(std::string_view text, FindingSink& sink, RuleSet rules) {
    AtomStarts atom_starts;
    const ReadResult result = parse_spec_json_with_starts(text, atom_starts);
    SpecAtomLocations located(text, atom_starts, sink);
    return lint_cluster(result, kNotClusterSpec, located, rules);
}

std::string not_xyz_message(std::string_view reader_error) { return fill(kNotXyz, {reader_error}); }

}  // namespace quorv::front
