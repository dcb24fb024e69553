// What the command has to say about one input, ready for any output format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/finding.h"

namespace quorv::cli {

struct ReportedFinding {
    Severity severity = Severity::Error;
    std::string_view code;
    std::optional<std::uint64_t> line;  // 1-based; source findings carry one
    std::string message;                // without the "line N: " that a source message starts with
};

struct FileReport {
    enum class Outcome {
        Linted,   // `findings` holds what is left after --select, --ignore and noqa
        Failed,   // could not be read, searched or parsed: `problem` says why
        Skipped,  // deliberately not linted: `problem` says why
    };
    std::string path;
    Outcome outcome = Outcome::Linted;
    std::vector<ReportedFinding> findings;
    std::string problem;
    bool problem_names_path = false;  // "cannot read {path}: ..." already says which file
};

}  // namespace quorv::cli
