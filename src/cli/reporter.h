// Output formats: each turns the findings and problems of a run, handed over
// in output order as they are made, into what its reader expects. A finding
// comes whole, with its location (line, atoms, frame) as data for the
// format to show its own way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "cli/output_stream.h"
#include "lib/finding.h"

namespace quorv::cli {

// Why an input was not linted, or not wholly.
struct InputProblem {
    enum class Kind {
        Failure,  // could not be read, searched or parsed: fails the run
        Skipped,  // deliberately left out: informational
    };
    Kind kind = Kind::Failure;
    std::string message;
    bool message_names_path = false;  // "cannot read {path}: ..." says which input already
    Location location;                // where in the input, when that is known
};

struct RunTotals {
    std::uint64_t errors = 0;
    std::uint64_t warnings = 0;
    std::uint64_t failing_warnings = 0;  // of them, in files whose settings make warnings fail the run
    std::uint64_t files_linted = 0;      // wholly, or some of their frames
    std::uint64_t failures = 0;          // inputs that could not be read, searched or parsed
    // The frames of XYZ inputs: frames in = linted + failed.
    std::uint64_t frames_linted = 0;
    std::uint64_t frames_failed = 0;
    bool a_file_had_several_frames = false;
    // Left out on purpose, for the summary: JSON files a search found that
    // are plainly no cluster spec, and paths the ignore files and the
    // exclude patterns left out of a search.
    std::uint64_t not_cluster_specs = 0;
    std::uint64_t ignored = 0;
    std::uint64_t excluded = 0;
    int exit_status = 0;

    std::uint64_t frames() const { return frames_linted + frames_failed; }
};

class Reporter {
public:
    virtual ~Reporter() = default;
    // Called in output order, from one thread at a time.
    virtual void finding(std::string_view path, const Finding& finding) = 0;
    virtual void problem(std::string_view path, const InputProblem& problem) = 0;
    // Called once, after everything else.
    virtual void finish(const RunTotals& totals) = 0;
};

struct OutputStreams {
    OutputStream& out;
    OutputStream& err;
    bool colour = false;  // only the text format uses it
    bool quiet = false;   // the text format then prints findings and failures only
};

std::unique_ptr<Reporter> make_text_reporter(const OutputStreams& streams);
std::unique_ptr<Reporter> make_json_lines_reporter(const OutputStreams& streams);
std::unique_ptr<Reporter> make_sarif_reporter(const OutputStreams& streams);
std::unique_ptr<Reporter> make_github_reporter(const OutputStreams& streams);
// Counts the findings per code, and prints the counts where `inner` would
// have printed them, before its summary.
std::unique_ptr<Reporter> make_statistics_reporter(std::unique_ptr<Reporter> inner, OutputFormat format,
                                                   const OutputStreams& streams);

std::unique_ptr<Reporter> make_reporter(OutputFormat format, const OutputStreams& streams);

// The message a finding shows when its line is shown apart from it.
inline std::string message_after_lead(const Finding& finding) { return finding.message_parts().text_after_lead(); }

}  // namespace quorv::cli
