// quorv-lint: lints files and directories from the command line. Reads the
// options, then searches, lints and reports all at once, in output order.
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "cli/code_pages.h"
#include "cli/json_writer.h"
#include "cli/lint_run.h"
#include "cli/options.h"
#include "cli/output_stream.h"
#include "cli/reporter.h"
#include "cli/program_name.h"
#include "version.h"
#include "front/file_reading.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

// Exit statuses: clean, findings that fail the run, and inputs or a command
// line that could not be used.
constexpr int kExitClean = 0;
constexpr int kExitFindings = 1;
constexpr int kExitTrouble = 2;

constexpr std::string_view kDefaultPath = ".";
constexpr std::string_view kUsageError = "quorv-lint: {}\nRun 'quorv-lint --help' for usage.\n";
constexpr std::string_view kUnknownExplainCode = "quorv-lint: unknown code '{}'; the codes are:\n{}";
constexpr std::string_view kVersionLine = "{} {}\n";
constexpr std::string_view kFatal = "quorv-lint: {}\n";
constexpr std::string_view kCannotWrite = "quorv-lint: cannot write the output: {}\n";

// Every search keeps a descriptor per directory level and per queued file.
constexpr rlim_t kWantedOpenFiles = 65536;

OutputStream standard_output(STDOUT_FILENO);
OutputStream standard_error(STDERR_FILENO);

void raise_open_file_limit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= kWantedOpenFiles) return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? kWantedOpenFiles : std::min(limit.rlim_max, kWantedOpenFiles);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

// Colour only for a terminal, and never when NO_COLOR is set (to anything) or the terminal is dumb.
bool wants_colour(OutputFormat format) {
    if (format != OutputFormat::Text || !::isatty(STDOUT_FILENO)) return false;
    if (std::getenv("NO_COLOR") != nullptr) return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::string_view(term) != "dumb";
}

int explain(const std::string& code) {
    if (find_code(code) != nullptr) {
        if (auto page = code_page(code)) {
            standard_output.write(*page);
            return kExitClean;
        }
    }
    std::string known;
    for (const CodeEntry& entry : kCatalog) known += "  " + std::string(entry.name) + "\n";
    standard_error.write(fill(kUnknownExplainCode, {code, known}));
    return kExitTrouble;
}

// Every code of the catalog, in its order: "code  severity  summary" lines,
// or one JSON object per line.
int list_codes(OutputFormat format) {
    std::size_t widest = 0;
    for (const CodeEntry& entry : kCatalog) widest = std::max(widest, entry.name.size());
    for (const CodeEntry& entry : kCatalog) {
        const std::string_view summary = page_summary(code_page(entry.name).value_or(std::string_view()));
        if (format == OutputFormat::Json) {
            JsonWriter json;
            json.begin_object()
                .key("code").string(entry.name)
                .key("severity").string(severity_text(entry.severity))
                .key("summary").string(summary)
                .end_object()
                .newline();
            standard_output.write(json.text());
        } else {
            std::string line(entry.name);
            line.append(widest + 2 - entry.name.size(), ' ');
            line += severity_text(entry.severity);
            line.append(std::string_view("warning").size() + 2 - severity_text(entry.severity).size(), ' ');
            line += summary;
            standard_output.write(line + "\n");
        }
    }
    return kExitClean;
}

int exit_status(const RunTotals& totals, bool warnings_as_errors) {
    if (totals.failures != 0 || totals.frames_failed != 0) return kExitTrouble;
    if (totals.errors != 0 || (warnings_as_errors && totals.warnings != 0)) return kExitFindings;
    return kExitClean;
}

int lint_paths(const Options& options) {
    std::vector<std::string> paths = options.paths;
    if (paths.empty()) paths.emplace_back(kDefaultPath);
    raise_open_file_limit();

    const LintSettings settings{options.select, options.ignore, options.stdin_kind, options.max_file_bytes};
    auto reporter =
        make_reporter(options.format, {standard_output, standard_error, wants_colour(options.format)});
    RunTotals totals = lint_run(paths, settings, options.jobs, *reporter);
    totals.exit_status = exit_status(totals, options.warnings_as_errors);
    reporter->finish(totals);
    return totals.exit_status;
}

// A full disk or a closed pipe must not pass for a clean run.
int checked_output(int status) {
    standard_output.flush();
    standard_error.flush();
    if (standard_output.error() == 0) return status;
    standard_error.write(fill(kCannotWrite, {front::os_error_description(standard_output.error())}));
    standard_error.flush();
    return kExitTrouble;
}

int run(const std::vector<std::string>& arguments) {
    auto parsed = parse_options(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        standard_error.write(fill(kUsageError, {error->message}));
        return kExitTrouble;
    }
    const Options& options = std::get<Options>(parsed);
    switch (options.action) {
        case Action::Help: standard_output.write(help_text()); return kExitClean;
        case Action::Version: standard_output.write(fill(kVersionLine, {kProgramName, kVersion})); return kExitClean;
        case Action::Explain: return explain(options.explain_code);
        case Action::ListCodes: return list_codes(options.format);
        case Action::Lint: break;
    }
    return lint_paths(options);
}

}  // namespace

}  // namespace quorv::cli

int main(int argc, char** argv) {
    try {
        const int status = quorv::cli::run(std::vector<std::string>(argv + 1, argv + argc));
        return quorv::cli::checked_output(status);
    } catch (const std::exception& error) {
        quorv::cli::standard_error.write(quorv::fill(quorv::cli::kFatal, {error.what()}));
    } catch (...) {
        quorv::cli::standard_error.write(quorv::fill(quorv::cli::kFatal, {"unexpected failure"}));
    }
    quorv::cli::standard_output.flush();
    quorv::cli::standard_error.flush();
    return quorv::cli::kExitTrouble;
}
