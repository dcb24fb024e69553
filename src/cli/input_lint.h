// Lints one input: read it, choose its reader, run the rules, and hand on
// what the user asked to see as it is found.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/input_report.h"
#include "cli/input_walk.h"
#include "front/input_kind.h"

namespace quorv::cli {

class FramePool;

struct LintSettings {
    std::vector<std::string> select;  // empty: every code
    std::vector<std::string> ignore;
    front::InputKind stdin_kind = front::InputKind::ClusterSpecJson;
    std::uint64_t max_file_bytes = 0;  // 0: no limit; XYZ inputs are read as a stream, without one
};

// Whether the user asked to see findings of this code.
bool wanted(std::string_view code, const LintSettings& settings);

// How linting that threw is reported; call it inside a catch block.
std::string message_of_current_exception();

// Never throws: any failure becomes a problem of the input. A JSON or Python
// text is read into `buffer`, which a worker keeps from input to input; an
// XYZ input is read through it in chunks, its frames linted on the run's
// frame pool as well.
InputOutcome lint_input(Input& input, const LintSettings& settings, InputReport& report, std::string& buffer,
                        FramePool& frames);

}  // namespace quorv::cli
