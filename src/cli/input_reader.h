// Reads one input whole, as the module's lint_file does, but never more than
// a limit, never waiting on a pipe or device that a search found, and with
// one open and one fstat per file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "cli/input_report.h"
#include "cli/input_walk.h"

namespace quorv::cli {

// The text, checked to be strict UTF-8, or the problem to report: a failure,
// or a skip for a file that a search found and that is no regular file (any
// more). A limit of 0 means no limit. The memory the text needs is reserved
// through `report` before it is read. The text is read into `buffer`, which
// a worker keeps from input to input, and lives as long as the buffer is
// left alone.
std::variant<std::string_view, InputProblem> read_input(Input& input, std::uint64_t max_bytes, InputReport& report,
                                                        std::string& buffer);

}  // namespace quorv::cli
