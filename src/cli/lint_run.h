// A whole run: the search finds the inputs, workers lint them as they come,
// and the reporter gets everything in output order while the run goes on.
#pragma once

#include <string>
#include <vector>

#include "cli/input_lint.h"
#include "cli/project_settings.h"
#include "cli/reporter.h"

namespace quorv::cli {

// `jobs` threads lint (0: one per core). With one job the search and the
// linting share the calling thread and no work changes hands. Each input is
// linted by the settings `project` finds for it; standard input is shown as
// `stdin_name`.
RunTotals lint_run(const std::vector<std::string>& paths, std::string_view stdin_name, ProjectSettings& project,
                   const RunSettings& run, unsigned jobs, Reporter& reporter);

}  // namespace quorv::cli
