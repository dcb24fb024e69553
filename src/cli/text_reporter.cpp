// The text format: one line per finding, "path:LINE: CODE severity message"
// (or "path: CODE severity message" for a finding about the whole file, and
// "path:LINE: frame N: CODE severity message" in an XYZ file), then a
// summary. Problems with inputs go to standard error, located the same way
// when they are about a frame. Paths and messages
// come from the inputs, so whatever in them is not printable is escaped: one
// finding is always one line, and colours come only from here.
#include <string>

#include "cli/reporter.h"
#include "cli/terminal_text.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kProgramPrefix = "quorv-lint: ";
constexpr std::string_view kSkipped = "skipped: ";
constexpr std::string_view kSummary = "{}, {} in {}";
constexpr std::string_view kFramesSummary = " ({}: {} linted, {} could not be read)";
constexpr std::string_view kFailuresSummary = "; {} could not be linted";
constexpr std::string_view kLeftOutSummary = "; skipped {}";
constexpr std::string_view kNotClusterSpecs = "{} that {}";
constexpr std::string_view kIgnored = "{} ignored by .gitignore or .ignore";
constexpr std::string_view kExcluded = "{} excluded by the settings";
constexpr std::string_view kFrame = "frame {}: ";

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

// "skipped 3 JSON files that are not cluster specs, 1 path ignored by ...":
// what a search left out on purpose, and why.
std::string left_out(const RunTotals& totals) {
    std::string parts;
    auto add = [&](std::uint64_t count, std::string part) {
        if (count != 0) parts += (parts.empty() ? "" : ", ") + part;
    };
    add(totals.not_cluster_specs, fill(kNotClusterSpecs, {counted(totals.not_cluster_specs, "JSON file"),
                                                          totals.not_cluster_specs == 1 ? "is not a cluster spec"
                                                                                        : "are not cluster specs"}));
    add(totals.ignored, fill(kIgnored, {counted(totals.ignored, "path")}));
    add(totals.excluded, fill(kExcluded, {counted(totals.excluded, "path")}));
    return parts.empty() ? parts : fill(kLeftOutSummary, {parts});
}

class TextReporter final : public Reporter {
public:
    explicit TextReporter(const OutputStreams& streams) : streams_(streams) {}

    void finding(std::string_view path, const Finding& finding) override {
        line_.clear();
        begin_paint(kBold);
        append_printable(line_, path);
        end_paint();
        line_ += ':';
        append_location(finding.location());
        begin_paint(kBold);
        line_ += finding.code_name();
        end_paint();
        line_ += ' ';
        begin_paint(finding.severity() == Severity::Error ? kRed : kYellow);
        line_ += severity_text(finding.severity());
        end_paint();
        line_ += ' ';
        append_printable(line_, message_after_lead(finding));
        line_ += '\n';
        streams_.out.write(line_);
    }

    void problem(std::string_view path, const InputProblem& problem) override {
        if (streams_.quiet && problem.kind == InputProblem::Kind::Skipped) return;
        line_.assign(kProgramPrefix);
        if (problem.location.line()) {
            append_printable(line_, path);
            line_ += ':';
            append_location(problem.location);
        } else if (!problem.message_names_path) {
            append_printable(line_, path);
            line_ += ": ";
        }
        if (problem.kind == InputProblem::Kind::Skipped) line_ += kSkipped;
        append_printable(line_, problem.message);
        line_ += '\n';
        // Findings and problems stay in output order when both streams go to one terminal or log.
        streams_.out.flush();
        streams_.err.write(line_);
        streams_.err.flush();
    }

    void finish(const RunTotals& totals) override {
        if (streams_.quiet) return;
        std::string summary = fill(kSummary, {counted(totals.errors, "error"), counted(totals.warnings, "warning"),
                                              counted(totals.files_linted, "file")});
        // Frames are worth a word once a file held more than one.
        if (totals.a_file_had_several_frames) {
            summary += fill(kFramesSummary, {counted(totals.frames(), "frame"), decimal(totals.frames_linted),
                                             decimal(totals.frames_failed)});
        }
        if (totals.failures != 0) summary += fill(kFailuresSummary, {counted(totals.failures, "input")});
        summary += left_out(totals);
        line_.clear();
        begin_paint(kBold);
        line_ += summary;
        end_paint();
        line_ += '\n';
        streams_.out.write(line_);
    }

private:
    // "LINE: " and "frame N: " where the location has them (after "path:").
    void append_location(const Location& location) {
        if (const auto line = location.line()) {
            begin_paint(kCyan);
            line_ += decimal(*line);
            end_paint();
            line_ += ':';
        }
        line_ += ' ';
        if (const auto frame = location.frame()) line_ += fill(kFrame, {decimal(*frame)});
    }

    void begin_paint(std::string_view colour) {
        if (streams_.colour) line_ += colour;
    }
    void end_paint() {
        if (streams_.colour) line_ += kReset;
    }

    OutputStreams streams_;
    std::string line_;  // kept: one allocation for the whole run
};

}  // namespace

std::unique_ptr<Reporter> make_text_reporter(const OutputStreams& streams) {
    return std::make_unique<TextReporter>(streams);
}

}  // namespace quorv::cli
