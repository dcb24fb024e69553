#include "cli/input_lint.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <string_view>
#include <variant>

#include "cli/input_reader.h"
#include "cli/noqa.h"
#include "front/file_reading.h"
#include "front/lint_text.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kOutOfMemory = "ran out of memory while linting it";
constexpr std::string_view kInternalError = "internal error while linting it: {}";

FileReport report_for(const Input& input, FileReport::Outcome outcome, std::string problem = {},
                      bool problem_names_path = false) {
    FileReport report;
    report.path = input.path;
    report.outcome = outcome;
    report.problem = std::move(problem);
    report.problem_names_path = problem_names_path;
    return report;
}

FileReport failed(const Input& input, std::string problem, bool names_path) {
    return report_for(input, FileReport::Outcome::Failed, std::move(problem), names_path);
}

bool wanted(std::string_view code, const LintSettings& settings) {
    auto listed = [&](const std::vector<std::string>& codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    return (settings.select.empty() || listed(settings.select)) && !listed(settings.ignore);
}

// Keeps the findings the user asked to see, with the line a source
// finding's message leads with moved into the line field.
class WantedFindings final : public FindingSink {
public:
    WantedFindings(const LintSettings& settings, front::InputKind kind, std::string_view text, FileReport& report)
        : settings_(settings), kind_(kind), text_(text), report_(report) {}

    void accept(Finding&& finding) override {
        if (!wanted(finding.code_name(), settings_)) return;
        ReportedFinding reported{finding.severity(), finding.code_name(), finding.location().line(),
                                 finding.message_parts().text_after_lead()};
        if (kind_ == front::InputKind::PythonSource && reported.line) {
            if (!noqa_) noqa_.emplace(text_);
            if (noqa_->silences(*reported.line, finding.code())) return;
        }
        report_.findings.push_back(std::move(reported));
    }

private:
    const LintSettings& settings_;
    front::InputKind kind_;
    std::string_view text_;
    FileReport& report_;
    std::optional<NoqaIndex> noqa_;
};

FileReport lint_text(const Input& input, front::InputKind kind, const std::string& text,
                     const LintSettings& settings) {
    FileReport report = report_for(input, FileReport::Outcome::Linted);
    WantedFindings findings(settings, kind, text, report);
    if (auto failure = front::lint_text(kind, text, findings)) return failed(input, std::move(*failure), false);
    return report;
}

}  // namespace

FileReport lint_input(const Input& input, const LintSettings& settings) {
    switch (input.what) {
        case Input::What::Failed: return failed(input, input.problem, true);
        case Input::What::Skipped: return report_for(input, FileReport::Outcome::Skipped, input.problem);
        case Input::What::File:
        case Input::What::Stdin: break;
    }
    try {
        auto content = read_input(input, settings.max_file_bytes);
        if (const auto* error = std::get_if<front::FileReadError>(&content)) {
            return failed(input, front::cannot_read_message(input.path, error->description), true);
        }
        const front::InputKind kind =
            input.what == Input::What::Stdin ? settings.stdin_kind : front::input_kind_for_path(input.path);
        return lint_text(input, kind, std::get<std::string>(content), settings);
    } catch (const std::bad_alloc&) {
        return failed(input, std::string(kOutOfMemory), false);
    } catch (const std::exception& error) {
        return failed(input, fill(kInternalError, {error.what()}), false);
    } catch (...) {
        return failed(input, fill(kInternalError, {"unknown failure"}), false);
    }
}

}  // namespace quorv::cli
