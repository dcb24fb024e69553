// Reads one input whole, as the module's lint_file does, but never more than a limit.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "cli/input_walk.h"
#include "front/file_reading.h"

namespace quorv::cli {

// The text of a file or of standard input, checked to be strict UTF-8, or why
// it could not be had. A limit of 0 means no limit.
std::variant<std::string, front::FileReadError> read_input(const Input& input, std::uint64_t max_bytes);

}  // namespace quorv::cli
