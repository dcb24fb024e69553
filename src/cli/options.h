// The command line: what the user asked for, or why the request is unusable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/project_config.h"
#include "front/input_kind.h"

namespace quorv::cli {

enum class OutputFormat { Text, Json, Sarif, Github };

// What one run does besides linting: print help, the version or a code's page.
enum class Action { Lint, Help, Version, Explain, ListCodes };

// The options that a configuration file may set too; unset where the command
// line says nothing. Patterns stay text until the current directory anchors them.
struct SettingOptions {
    std::optional<CodeSet> select;
    std::optional<CodeSet> extend_select;
    std::optional<CodeSet> ignore;
    std::optional<std::vector<std::string>> exclude;
    std::optional<std::vector<std::string>> extend_exclude;
    std::optional<bool> warnings_as_errors;
    std::optional<std::uint64_t> max_file_size;
    std::optional<bool> respect_gitignore;
    std::optional<bool> preview;
};

struct Options {
    Action action = Action::Lint;
    std::vector<std::string> paths;  // "-" is standard input; empty means "."
    std::optional<front::InputKind> stdin_kind;
    std::optional<std::string> stdin_filename;  // names standard input: its kind, path and configuration
    OutputFormat format = OutputFormat::Text;
    SettingOptions settings;
    std::optional<std::string> config_path;  // --config: this file for every input
    bool isolated = false;                   // --isolated: no configuration file at all
    bool warn_unused_noqa = false;
    bool statistics = false;
    bool quiet = false;
    bool exit_zero = false;
    std::optional<std::string> output_file;
    unsigned jobs = 0;  // 0: one per core
    std::string explain_code;
};

struct UsageError {
    std::string message;
};

// Never fails on its own: every problem comes back as a UsageError.
std::variant<Options, UsageError> parse_options(const std::vector<std::string>& arguments);

// The text of --help.
std::string help_text();

}  // namespace quorv::cli
