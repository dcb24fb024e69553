// Lints one input: read it, choose its reader, run the rules, and hand on
// what the user asked to see as it is found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/input_report.h"
#include "cli/input_walk.h"
#include "front/input_kind.h"

namespace quorv::cli {

struct LintSettings {
    std::vector<std::string> select;  // empty: every code
    std::vector<std::string> ignore;
    front::InputKind stdin_kind = front::InputKind::ClusterSpecJson;
    std::uint64_t max_file_bytes = 0;  // 0: no limit
};

// Never throws: any failure becomes a problem of the input. The text is read
// into `buffer`, which a worker keeps from input to input.
InputOutcome lint_input(Input& input, const LintSettings& settings, InputReport& report, std::string& buffer);

}  // namespace quorv::cli
