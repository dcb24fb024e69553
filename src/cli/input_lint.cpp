#include "cli/input_lint.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <string_view>
#include <variant>

#include "cli/input_reader.h"
#include "cli/noqa.h"
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

bool wanted(std::string_view code, const LintSettings& settings) {
    auto listed = [&](const std::vector<std::string>& codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    return (settings.select.empty() || listed(settings.select)) && !listed(settings.ignore);
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

InputOutcome read_and_lint(Input& input, const LintSettings& settings, InputReport& report, std::string& buffer) {
    auto content = read_input(input, settings.max_file_bytes, report, buffer);
    if (auto* problem = std::get_if<InputProblem>(&content)) return report_problem(report, std::move(*problem));
    const std::string_view text = std::get<std::string_view>(content);
    const front::InputKind kind =
        input.what == Input::What::Stdin ? settings.stdin_kind : front::input_kind_for_path(input.path);
    WantedFindings findings(settings, kind, text, report);
    if (auto failure = front::lint_text(kind, text, findings)) return failed(report, std::move(*failure));
    return InputOutcome::Linted;
}

}  // namespace

InputOutcome lint_input(Input& input, const LintSettings& settings, InputReport& report, std::string& buffer) {
    switch (input.what) {
        case Input::What::Failed:
            return report_problem(report, {InputProblem::Kind::Failure, std::move(input.problem), true, {}});
        case Input::What::Skipped:
            return report_problem(report, {InputProblem::Kind::Skipped, std::move(input.problem), false, {}});
        case Input::What::File:
        case Input::What::Stdin: break;
    }
    try {
        return read_and_lint(input, settings, report, buffer);
    } catch (const std::bad_alloc&) {
        return failed(report, std::string(kOutOfMemory));
    } catch (const std::exception& error) {
        return failed(report, fill(kInternalError, {error.what()}));
    } catch (...) {
        return failed(report, fill(kInternalError, {"unknown failure"}));
    }
}

}  // namespace quorv::cli
