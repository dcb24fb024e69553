// Lints many inputs on several threads and hands the reports back in input order.
#pragma once

#include <functional>
#include <vector>

#include "cli/file_report.h"
#include "cli/input_lint.h"
#include "cli/input_walk.h"

namespace quorv::cli {

// Calls `deliver` on the calling thread once per input, in the order of
// `inputs`, as soon as that input and every one before it are done. `jobs` is
// the number of threads (0: one per core).
void lint_in_parallel(const std::vector<Input>& inputs, const LintSettings& settings, unsigned jobs,
                      const std::function<void(FileReport&&)>& deliver);

}  // namespace quorv::cli
