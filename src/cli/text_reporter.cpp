// The text format: one line per finding, "path:LINE: CODE severity message"
// (or "path: CODE severity message" for a finding about the whole file), then
// a summary. Problems with inputs go to standard error.
#include <string>

#include "cli/reporter.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kProgramPrefix = "quorv-lint: ";
constexpr std::string_view kSkippedProblem = "{}: skipped: {}";
constexpr std::string_view kPathProblem = "{}: {}";
constexpr std::string_view kSummary = "{}, {} in {}";
constexpr std::string_view kFailuresSummary = "; {} could not be linted";

constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kRed = "\x1b[1;31m";
constexpr std::string_view kYellow = "\x1b[1;33m";
constexpr std::string_view kCyan = "\x1b[36m";
constexpr std::string_view kReset = "\x1b[0m";

std::string counted(std::uint64_t count, std::string_view noun) {
    std::string text = decimal(count) + " " + std::string(noun);
    if (count != 1) text += 's';
    return text;
}

class TextReporter final : public Reporter {
public:
    explicit TextReporter(const OutputStreams& streams) : streams_(streams) {}

    void report(const FileReport& report) override {
        switch (report.outcome) {
            case FileReport::Outcome::Linted:
                for (const ReportedFinding& finding : report.findings) write_finding(report.path, finding);
                return;
            case FileReport::Outcome::Failed:
                problem(report.problem_names_path ? report.problem : fill(kPathProblem, {report.path, report.problem}));
                return;
            case FileReport::Outcome::Skipped:
                problem(fill(kSkippedProblem, {report.path, report.problem}));
                return;
        }
    }

    void finish(const RunTotals& totals) override {
        std::string summary = fill(kSummary, {counted(totals.errors, "error"), counted(totals.warnings, "warning"),
                                              counted(totals.files_linted, "file")});
        if (totals.failures != 0) summary += fill(kFailuresSummary, {counted(totals.failures, "input")});
        write_text(streams_.out, paint(kBold, summary) + "\n");
        std::fflush(streams_.out);
    }

private:
    void write_finding(const std::string& path, const ReportedFinding& finding) {
        std::string line = paint(kBold, path) + ":";
        if (finding.line) line += paint(kCyan, decimal(*finding.line)) + ":";
        line += " ";
        line += paint(kBold, finding.code);
        line += " ";
        line += paint(finding.severity == Severity::Error ? kRed : kYellow, severity_text(finding.severity));
        line += " ";
        line += finding.message;
        line += "\n";
        write_text(streams_.out, line);
    }

    // Findings and problems stay in input order when both streams go to one terminal or log.
    void problem(const std::string& text) {
        std::fflush(streams_.out);
        write_text(streams_.err, std::string(kProgramPrefix) + text + "\n");
    }

    std::string paint(std::string_view colour, std::string_view text) const {
        if (!streams_.colour) return std::string(text);
        return std::string(colour) + std::string(text) + std::string(kReset);
    }

    OutputStreams streams_;
};

}  // namespace

std::unique_ptr<Reporter> make_text_reporter(const OutputStreams& streams) {
    return std::make_unique<TextReporter>(streams);
}

}  // namespace quorv::cli
