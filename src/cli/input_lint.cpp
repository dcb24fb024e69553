#include "cli/input_lint.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "cli/finding_filter.h"
#include "cli/input_reader.h"
#include "cli/json_top_level.h"
#include "front/lint_text.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kOutOfMemory = "ran out of memory while linting it";
constexpr std::string_view kInternalError = "internal error while linting it: {}";
// A JSON text without these bytes has no "noqa" key to look for.
constexpr std::string_view kNoqaKey = "noqa";

InputOutcome report_problem(InputReport& report, InputProblem&& problem) {
    const InputOutcome outcome =
        problem.kind == InputProblem::Kind::Failure ? InputOutcome::Failed : InputOutcome::Skipped;
    report.problem(std::move(problem));
    return outcome;
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

InputOutcome read_and_lint(Input& input, const RunSettings& run, InputReport& report, std::string& buffer) {
    const FileSettings& settings = *input.settings;
    auto content = read_input(input, settings.max_file_bytes, report, buffer);
    if (auto* problem = std::get_if<InputProblem>(&content)) return report_problem(report, std::move(*problem));
    const std::string_view text = std::get<std::string_view>(content);
    const front::InputKind kind =
        input.what == Input::What::Stdin ? run.stdin_kind : front::input_kind_for_path(input.path);

    std::optional<StructureNoqa> structure;
    JsonTop json_top(text);
    if (kind == front::InputKind::Xyz) {
        // The text is the worker's buffer: the suppression is blanked in place.
        char* writable = buffer.data() + (text.data() - buffer.data());
        structure = take_comment_noqa(std::span<char>(writable, text.size()), 1);
    } else if (kind == front::InputKind::ClusterSpecJson && text.find(kNoqaKey) != std::string_view::npos) {
        if (const auto& problem = json_top.get().noqa_problem) return failed(report, *problem);
        structure = json_top.get().noqa;
    }
    FindingFilter findings(settings.codes_for(input.absolute_path), kind, text, run.warn_unused_noqa, report);
    findings.begin_structure(std::move(structure));
    if (auto failure = front::lint_text(kind, text, findings, settings.rules)) {
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

InputOutcome lint_input(Input& input, const RunSettings& run, InputReport& report, std::string& buffer) {
    switch (input.what) {
        case Input::What::Failed:
            return report_problem(report, {InputProblem::Kind::Failure, std::move(input.problem), true, {}});
        case Input::What::Skipped:
            return report_problem(report, {InputProblem::Kind::Skipped, std::move(input.problem), false, {}});
        case Input::What::File:
        case Input::What::Stdin: break;
    }
    try {
        return read_and_lint(input, run, report, buffer);
    } catch (const std::bad_alloc&) {
        return failed(report, std::string(kOutOfMemory));
    } catch (const std::exception& error) {
        return failed(report, fill(kInternalError, {error.what()}));
    } catch (...) {
        return failed(report, fill(kInternalError, {"unknown failure"}));
    }
}

}  // namespace quorv::cli
