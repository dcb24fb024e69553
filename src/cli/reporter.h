// Output formats: each turns the reports of a run into what its reader expects.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cli/file_report.h"
#include "cli/options.h"

namespace quorv::cli {

struct RunTotals {
    std::uint64_t errors = 0;
    std::uint64_t warnings = 0;
    std::uint64_t files_linted = 0;
    std::uint64_t failures = 0;  // inputs that could not be read, searched or parsed
    int exit_status = 0;
};

class Reporter {
public:
    virtual ~Reporter() = default;
    // Called once per input, in input order.
    virtual void report(const FileReport& report) = 0;
    // Called once, after the last report.
    virtual void finish(const RunTotals& totals) = 0;
};

struct OutputStreams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool colour = false;  // only the text format uses it
};

std::unique_ptr<Reporter> make_text_reporter(const OutputStreams& streams);
std::unique_ptr<Reporter> make_json_lines_reporter(const OutputStreams& streams);
std::unique_ptr<Reporter> make_sarif_reporter(const OutputStreams& streams);

std::unique_ptr<Reporter> make_reporter(OutputFormat format, const OutputStreams& streams);

void write_text(std::FILE* stream, std::string_view text);

}  // namespace quorv::cli
