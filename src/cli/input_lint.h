// Lints one input: read it, choose its reader, run the rules, and hand on
// what the user asked to see as it is found.
#pragma once

#include <string>

#include "cli/input_report.h"
#include "cli/input_walk.h"
#include "front/input_kind.h"

namespace quorv::cli {

class FramePool;

// What holds for every input of a run; the rest comes with each input's settings.
struct RunSettings {
    front::InputKind stdin_kind = front::InputKind::ClusterSpecJson;
    bool warn_unused_noqa = false;
};

// How linting that threw is reported; call it inside a catch block.
std::string message_of_current_exception();

// Hands the problem on; the outcome of an input that has it.
InputOutcome report_problem(InputReport& report, InputProblem&& problem);

// Never throws: any failure becomes a problem of the input. A JSON or Python
// text is read into `buffer`, which a worker keeps from input to input; a
// large XYZ input is read and linted with the run's frame pool as well.
InputOutcome lint_input(Input& input, const RunSettings& run, InputReport& report, std::string& buffer,
                        FramePool& frames);

}  // namespace quorv::cli
