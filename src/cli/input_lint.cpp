#include "cli/input_lint.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <string_view>
#include <variant>

#include "cli/file_kinds.h"
#include "cli/input_reader.h"
#include "cli/noqa.h"
#include "cli/xyz_input.h"
#include "front/lint_text.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kOutOfMemory = "ran out of memory while linting it";
constexpr std::string_view kInternalError = "internal error while linting it: {}";

InputOutcome report_problem(InputReport& report, InputProblem&& problem) {
    const InputOutcome outcome =
        problem.kind == InputProblem::Kind::Failure ? InputOutcome::Failed : InputOutcome::Skipped;
    report.problem(std::move(problem));
    return outcome;
}

InputOutcome failed(InputReport& report, std::string message) {
    return report_problem(report, {InputProblem::Kind::Failure, std::move(message), false, {}});
}

// Hands on the findings the user asked to see. The noqa comments of a
// Python text are indexed once, at its first finding that has a line.
class WantedFindings final : public FindingSink {
public:
    WantedFindings(const LintSettings& settings, front::InputKind kind, std::string_view text, InputReport& report)
        : settings_(settings), kind_(kind), text_(text), report_(report) {}

    void accept(Finding&& finding) override {
        if (!wanted(finding.code_name(), settings_) || silenced(finding)) return;
        report_.finding(std::move(finding));
    }

private:
    bool silenced(const Finding& finding) {
        const auto line = finding.location().line();
        if (kind_ != front::InputKind::PythonSource || !line) return false;
        if (!noqa_) noqa_.emplace(text_);
        return noqa_->silences(*line, finding.code());
    }

    const LintSettings& settings_;
    front::InputKind kind_;
    std::string_view text_;
    InputReport& report_;
    std::optional<NoqaIndex> noqa_;
};

// A Python or JSON input, read whole; each JSON finding about atoms carries
// the line of the first one.
InputOutcome read_and_lint(Input& input, front::InputKind kind, const LintSettings& settings, InputReport& report,
                           std::string& buffer) {
    auto content = read_input(input, settings.max_file_bytes, report, buffer);
    if (auto* problem = std::get_if<InputProblem>(&content)) return report_problem(report, std::move(*problem));
    const std::string_view text = std::get<std::string_view>(content);
    WantedFindings findings(settings, kind, text, report);
    auto failure = kind == front::InputKind::ClusterSpecJson ? front::lint_spec_json_with_lines(text, findings)
                                                             : front::lint_text(kind, text, findings);
    if (failure) return failed(report, std::move(*failure));
    return InputOutcome::Linted;
}

}  // namespace

bool wanted(std::string_view code, const LintSettings& settings) {
    auto listed = [&](const std::vector<std::string>& codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    return (settings.select.empty() || listed(settings.select)) && !listed(settings.ignore);
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

InputOutcome lint_input(Input& input, const LintSettings& settings, InputReport& report, std::string& buffer,
                        FramePool& frames) {
    switch (input.what) {
        case Input::What::Failed:
            return report_problem(report, {InputProblem::Kind::Failure, std::move(input.problem), true, {}});
        case Input::What::Skipped:
            return report_problem(report, {InputProblem::Kind::Skipped, std::move(input.problem), false, {}});
        case Input::What::File:
        case Input::What::Stdin: break;
    }
    const front::InputKind kind = input.what == Input::What::Stdin ? settings.stdin_kind : named_file_kind(input.path);
    try {
        if (kind == front::InputKind::Xyz) return lint_xyz_input(input, settings, report, buffer, frames);
        return read_and_lint(input, kind, settings, report, buffer);
    } catch (...) {
        return failed(report, message_of_current_exception());
    }
}

}  // namespace quorv::cli
