#include "cli/input_lint.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <new>
#include <string_view>
#include <variant>

#include "cli/input_reader.h"
#include "cli/noqa.h"
#include "text/format.h"
#include "lib/lint.h"
#include "source/seed_checker.h"
#include "spec_json/spec_json_reader.h"
#include "xyz/xyz_reader.h"

namespace quorv::cli {

namespace {

// The texts the module's exceptions carry, so the command says the same.
constexpr std::string_view kCannotRead = "cannot read {}: {}";
constexpr std::string_view kNotClusterSpec = "not a valid cluster spec: {}";
constexpr std::string_view kNotXyz = "not a valid XYZ file: {}";
constexpr std::string_view kOutOfMemory = "ran out of memory while linting it";
constexpr std::string_view kInternalError = "internal error while linting it: {}";

// Source findings begin with the line they are about.
constexpr std::string_view kLinePrefix = "line ";
constexpr std::string_view kLineSeparator = ": ";

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

// Moves a leading "line N: " out of the message into the line field.
ReportedFinding located(Finding finding) {
    ReportedFinding reported{finding.severity, finding.code, std::nullopt, std::move(finding.message)};
    std::string_view message = reported.message;
    if (!message.starts_with(kLinePrefix)) return reported;
    message.remove_prefix(kLinePrefix.size());
    std::uint64_t line = 0;
    auto [end, error] = std::from_chars(message.data(), message.data() + message.size(), line);
    std::string_view rest(end, static_cast<std::size_t>(message.data() + message.size() - end));
    if (error != std::errc() || !rest.starts_with(kLineSeparator)) return reported;
    reported.line = line;
    reported.message.erase(0, reported.message.size() - rest.size() + kLineSeparator.size());
    return reported;
}

// The text of 1-based line `number`, without its line end.
std::string_view nth_line(std::string_view text, std::uint64_t number) {
    for (std::uint64_t line = 1; line < number; ++line) {
        const std::size_t feed = text.find('\n');
        if (feed == std::string_view::npos) return {};
        text.remove_prefix(feed + 1);
    }
    return text.substr(0, text.find('\n'));
}

bool wanted(std::string_view code, const LintSettings& settings) {
    auto listed = [&](const std::vector<std::string>& codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    return (settings.select.empty() || listed(settings.select)) && !listed(settings.ignore);
}

bool silenced_by_noqa(const ReportedFinding& finding, std::string_view source) {
    if (!finding.line) return false;
    auto comment = find_noqa(nth_line(source, *finding.line));
    return comment && silences(*comment, finding.code);
}

FileReport lint_text(const Input& input, InputKind kind, const std::string& text, const LintSettings& settings) {
    std::vector<Finding> findings;
    if (kind == InputKind::PythonSource) {
        findings = lint_python_source(text);
    } else {
        ReadResult cluster = kind == InputKind::Xyz ? parse_xyz(text) : parse_spec_json(text);
        if (const auto* error = std::get_if<ReadError>(&cluster)) {
            return failed(input, fill(kind == InputKind::Xyz ? kNotXyz : kNotClusterSpec, {error->message}), false);
        }
        findings = lint(std::get<ClusterSpec>(cluster));
    }
    FileReport report = report_for(input, FileReport::Outcome::Linted);
    for (Finding& finding : findings) {
        if (!wanted(finding.code, settings)) continue;
        ReportedFinding reported = kind == InputKind::PythonSource
                                       ? located(std::move(finding))
                                       : ReportedFinding{finding.severity, finding.code, std::nullopt,
                                                         std::move(finding.message)};
        if (kind == InputKind::PythonSource && silenced_by_noqa(reported, text)) continue;
        report.findings.push_back(std::move(reported));
    }
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
        if (const auto* error = std::get_if<FileReadError>(&content)) {
            return failed(input, fill(kCannotRead, {input.path, error->description}), true);
        }
        const InputKind kind = input.what == Input::What::Stdin ? settings.stdin_kind : input_kind_for_path(input.path);
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
