// quorv-lint: lints files and directories from the command line. Reads the
// options, then searches, lints and reports all at once, in output order.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "cli/code_pages.h"
#include "cli/file_kinds.h"
#include "cli/json_writer.h"
#include "cli/lint_run.h"
#include "cli/options.h"
#include "cli/output_stream.h"
#include "cli/program_name.h"
#include "cli/project_files.h"
#include "cli/project_settings.h"
#include "cli/reporter.h"
#include "front/file_reading.h"
#include "text/format.h"
#include "version.h"

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
constexpr std::string_view kCannotWriteFile = "quorv-lint: cannot write {}: {}\n";
constexpr std::string_view kConfigError = "quorv-lint: {}\n";
constexpr std::string_view kStdinKindAssumed =
    "quorv-lint: reading standard input as {} (--stdin-kind or --stdin-filename says otherwise)\n";
constexpr std::string_view kPreviewMark = "(preview) ";

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
bool wants_colour(OutputFormat format, const OutputStream& out) {
    if (format != OutputFormat::Text || &out != &standard_output || !::isatty(STDOUT_FILENO)) return false;
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

// Every code of the catalog, in its order: "code  severity  summary" lines
// (the summary of a code that only the preview rules report marked
// "(preview)"), or one JSON object per line.
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
                .key("preview").boolean(entry.stability == Stability::Preview)
                .key("summary").string(summary)
                .end_object()
                .newline();
            standard_output.write(json.text());
        } else {
            std::string line(entry.name);
            line.append(widest + 2 - entry.name.size(), ' ');
            line += severity_text(entry.severity);
            line.append(std::string_view("warning").size() + 2 - severity_text(entry.severity).size(), ' ');
            if (entry.stability == Stability::Preview) line += kPreviewMark;
            line += summary;
            standard_output.write(line + "\n");
        }
    }
    return kExitClean;
}

int exit_status(const RunTotals& totals, bool exit_zero) {
    if (totals.failures != 0 || totals.frames_failed != 0) return kExitTrouble;
    if (!exit_zero && (totals.errors != 0 || totals.failing_warnings != 0)) return kExitFindings;
    return kExitClean;
}

std::string current_directory() {
    std::string directory(4096, '\0');
    while (::getcwd(directory.data(), directory.size()) == nullptr) {
        if (errno != ERANGE) return "/";
        directory.resize(directory.size() * 2);
    }
    directory.resize(std::char_traits<char>::length(directory.c_str()));
    return directory;
}

// The command line's settings, its patterns anchored at the current directory.
ConfigValues command_line_values(const SettingOptions& options, const std::string& directory) {
    auto anchored = [&](const std::optional<std::vector<std::string>>& patterns) {
        std::optional<std::vector<AnchoredPattern>> result;
        if (!patterns) return result;
        result.emplace();
        for (const std::string& pattern : *patterns) result->push_back({directory, PathPattern(pattern)});
        return result;
    };
    return {options.select,           options.extend_select, options.ignore,
            anchored(options.exclude), anchored(options.extend_exclude), std::nullopt,
            options.warnings_as_errors, options.max_file_size, options.respect_gitignore,
            options.preview};
}

// Finds the configuration of every path named, before anything is linted:
// a configuration that is wrong stops the run with its error.
std::optional<std::string> check_named_configurations(const std::vector<std::string>& paths,
                                                      std::string_view stdin_name, ProjectSettings& project) {
    for (const std::string& path : paths) {
        const std::string absolute =
            lexically_absolute(project.current_directory(), path == "-" ? std::string(stdin_name) : path);
        struct stat info {};
        const bool directory = path != "-" && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        auto settings = project.for_directory(directory ? absolute : std::string(parent_directory(absolute)));
        if (auto* error = std::get_if<std::string>(&settings)) return *error;
    }
    return std::nullopt;
}

std::string_view kind_description(front::InputKind kind) {
    switch (kind) {
        case front::InputKind::Xyz: return "XYZ";
        case front::InputKind::PythonSource: return "Python source";
        case front::InputKind::ClusterSpecJson: break;
    }
    return "a JSON cluster spec";
}

int lint_paths(const Options& options) {
    std::vector<std::string> paths = options.paths;
    if (paths.empty()) paths.emplace_back(kDefaultPath);
    raise_open_file_limit();

    const std::string directory = current_directory();
    ProjectSettings project(command_line_values(options.settings, directory), directory);
    if (options.isolated) {
        project.isolate();
    } else if (options.config_path) {
        if (auto error = project.use_only(*options.config_path)) {
            standard_error.write(fill(kConfigError, {*error}));
            return kExitTrouble;
        }
    }
    const std::string stdin_name = options.stdin_filename.value_or("-");
    if (auto error = check_named_configurations(paths, stdin_name, project)) {
        standard_error.write(fill(kConfigError, {*error}));
        return kExitTrouble;
    }

    RunSettings run;
    run.warn_unused_noqa = options.warn_unused_noqa;
    run.stdin_kind = options.stdin_kind.value_or(
        options.stdin_filename ? named_file_kind(*options.stdin_filename) : front::InputKind::ClusterSpecJson);
    const bool reads_stdin = std::find(paths.begin(), paths.end(), "-") != paths.end();
    if (reads_stdin && !options.stdin_kind && !options.stdin_filename && !options.quiet) {
        standard_error.write(fill(kStdinKindAssumed, {kind_description(run.stdin_kind)}));
    }

    front::UniqueFd output_file;
    std::optional<OutputStream> file_output;
    if (options.output_file) {
        output_file = front::UniqueFd(::open(options.output_file->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!output_file) {
            standard_error.write(fill(kCannotWriteFile, {*options.output_file, front::os_error_description(errno)}));
            return kExitTrouble;
        }
        file_output.emplace(output_file.get());
    }
    OutputStream& out = file_output ? *file_output : standard_output;
    const OutputStreams streams{out, standard_error, wants_colour(options.format, out), options.quiet};
    auto reporter = make_reporter(options.format, streams);
    if (options.statistics) reporter = make_statistics_reporter(std::move(reporter), options.format, streams);
    RunTotals totals = lint_run(paths, stdin_name, project, run, options.jobs, *reporter);
    totals.exit_status = exit_status(totals, options.exit_zero);
    reporter->finish(totals);
    if (file_output) {
        file_output->flush();
        if (file_output->error() != 0) {
            standard_error.write(fill(kCannotWriteFile, {*options.output_file,
                                                         front::os_error_description(file_output->error())}));
            return kExitTrouble;
        }
    }
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
