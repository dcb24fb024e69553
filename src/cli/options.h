// The command line: what the user asked for, or why the request is unusable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "front/input_kind.h"

namespace quorv::cli {

enum class OutputFormat { Text, Json, Sarif };

// What one run does besides linting: print help, the version or a code's page.
enum class Action { Lint, Help, Version, Explain, ListCodes };

struct Options {
    Action action = Action::Lint;
    std::vector<std::string> paths;  // "-" is standard input; empty means "."
    front::InputKind stdin_kind = front::InputKind::ClusterSpecJson;
    OutputFormat format = OutputFormat::Text;
    std::vector<std::string> select;  // empty: every code
    std::vector<std::string> ignore;
    bool warnings_as_errors = false;
    std::uint64_t max_file_bytes = 0;  // 0: no limit
    unsigned jobs = 0;                 // 0: one per core
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
