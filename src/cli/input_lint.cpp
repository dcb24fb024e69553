#include "cli/input_lint.h"

#include <exception>
#include <new>
#include <optional>
#include <string_view>
#include <variant>

#include "cli/finding_filter.h"
#include "cli/input_reader.h"
#include "cli/json_top_level.h"
#include "cli/xyz_input.h"
#include "front/lint_text.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kOutOfMemory = "ran out of memory while linting it";
constexpr std::string_view kInternalError = "internal error while linting it: {}";
// A JSON text without these bytes has no "noqa" key to look for.
constexpr std::string_view kNoqaKey = "noqa";
// Where a search for it starts: every atom's "element" holds an 'n', but
// hardly any spec holds a 'q'.
constexpr std::size_t kNoqaRareLetter = 2;

bool mentions_noqa(std::string_view text) {
    for (std::size_t q = text.find(kNoqaKey[kNoqaRareLetter], kNoqaRareLetter); q != std::string_view::npos;
         q = text.find(kNoqaKey[kNoqaRareLetter], q + 1)) {
        if (text.substr(q - kNoqaRareLetter, kNoqaKey.size()) == kNoqaKey) return true;
    }
    return false;
}


InputOutcome failed(InputReport& report, std::string message) {
    return report_problem(report, {InputProblem::Kind::Failure, std::move(message), false, {}});
}

// A JSON text's top level, read once and only when needed: for its "noqa"
// key (when the text mentions one at all) and when the reader rejects it.
class JsonTop {
public:
    explicit JsonTop(std::string_view text) : text_(text) {}
    const JsonTopLevel& get() {
        if (!top_) top_ = read_json_top_level(text_);
        return *top_;
    }

private:
    std::string_view text_;
    std::optional<JsonTopLevel> top_;
};

// A Python or JSON input, read whole; each JSON finding about atoms carries
// the line of the first one.
InputOutcome read_and_lint(Input& input, front::InputKind kind, const RunSettings& run, InputReport& report,
                           std::string& buffer) {
    const FileSettings& settings = *input.settings;
    auto content = read_input(input, settings.max_file_bytes, report, buffer);
    if (auto* problem = std::get_if<InputProblem>(&content)) return report_problem(report, std::move(*problem));
    const std::string_view text = std::get<std::string_view>(content);

    std::optional<StructureNoqa> structure;
    JsonTop json_top(text);
    if (kind == front::InputKind::ClusterSpecJson && mentions_noqa(text)) {
        if (const auto& problem = json_top.get().noqa_problem) return failed(report, *problem);
        structure = json_top.get().noqa;
    }
    FindingFilter findings(settings.codes_for(input.absolute_path), kind, text, run.warn_unused_noqa, report);
    findings.begin_structure(std::move(structure));
    auto failure = kind == front::InputKind::ClusterSpecJson
                       ? front::lint_spec_json_with_lines(text, findings, settings.rules)
                       : front::lint_text(kind, text, findings, settings.rules);
    if (failure) {
        if (kind == front::InputKind::ClusterSpecJson && input.found_by_search() &&
            json_top.get().plainly_not_a_spec()) {
            return InputOutcome::NotClusterSpec;
        }
        return failed(report, std::move(*failure));
    }
    findings.end_structure();
    findings.finish();
    return InputOutcome::Linted;
}

}  // namespace

InputOutcome report_problem(InputReport& report, InputProblem&& problem) {
    const InputOutcome outcome =
        problem.kind == InputProblem::Kind::Failure ? InputOutcome::Failed : InputOutcome::Skipped;
    report.problem(std::move(problem));
    return outcome;
}

std::string message_of_current_exception() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return std::string(kOutOfMemory);
    } catch (const std::exception& error) {
        return fill(kInternalError, {error.what()});
    } catch (...) {
        return fill(kInternalError, {"unknown failure"});
    }
}

InputOutcome lint_input(Input& input, const RunSettings& run, InputReport& report, std::string& buffer,
                        FramePool& frames) {
    switch (input.what) {
        case Input::What::Failed:
            return report_problem(report, {InputProblem::Kind::Failure, std::move(input.problem), true, {}});
        case Input::What::Skipped:
            return report_problem(report, {InputProblem::Kind::Skipped, std::move(input.problem), false, {}});
        case Input::What::File:
        case Input::What::Stdin: break;
    }
    const front::InputKind kind = input.what == Input::What::Stdin ? run.stdin_kind : input.kind;
    try {
        if (kind == front::InputKind::Xyz) return lint_xyz_input(input, run, report, buffer, frames);
        return read_and_lint(input, kind, run, report, buffer);
    } catch (...) {
        return failed(report, message_of_current_exception());
    }
}

}  // namespace quorv::cli
