// What linting one input hands on: its findings and problems as they are
// made, and how much memory its text is about to take.
#pragma once

#include <cstdint>

#include "cli/reporter.h"
#include "lib/finding.h"

namespace quorv::cli {

// NotClusterSpec: a JSON file found by a search that is plainly no cluster spec.
enum class InputOutcome { Linted, Failed, Skipped, NotClusterSpec };

class InputReport {
public:
    virtual ~InputReport() = default;
    // Waits, if need be, until the run can hold `bytes` more of input text;
    // they are given back when the input is done.
    virtual void reserve_text(std::uint64_t bytes) = 0;
    virtual void finding(Finding&& finding) = 0;
    virtual void problem(InputProblem&& problem) = 0;
};

}  // namespace quorv::cli
