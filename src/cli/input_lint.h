// Lints one input: read it, choose its reader, run the rules, and hand on
// what the user asked to see as it is found.
#pragma once

#include <optional>
#include <string>

#include "cli/input_report.h"
#include "cli/input_walk.h"
#include "front/input_kind.h"

namespace quorv::cli {

// What holds for every input of a run; the rest comes with each input's settings.
struct RunSettings {
    front::InputKind stdin_kind = front::InputKind::ClusterSpecJson;
    bool warn_unused_noqa = false;
};

// Never throws: any failure becomes a problem of the input. The text is read
// into `buffer`, which a worker keeps from input to input.
InputOutcome lint_input(Input& input, const RunSettings& run, InputReport& report, std::string& buffer);

}  // namespace quorv::cli
