// Opens and reads one input, as the module's lint_file does, but never more
// than a limit, never waiting on a pipe or device that a search found, and
// with one open and one fstat per file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <variant>

#include "cli/input_report.h"
#include "cli/input_walk.h"
#include "front/unique_fd.h"

namespace quorv::cli {

// An input open for reading: the descriptor the search opened, standard
// input, or a file opened relative to its directory.
struct OpenedInput {
    front::UniqueFd owned;
    int fd = -1;
    struct stat info {};

    bool is_regular_file() const { return S_ISREG(info.st_mode); }
};

// The input open for reading, or the problem to report: a failure (it
// cannot be opened, or it is a directory), or a skip for a file that a
// search found and that is no regular file (any more).
std::variant<OpenedInput, InputProblem> open_input(Input& input);

// The text, checked to be strict UTF-8, or the problem to report: a failure,
// or a skip as above. A limit of 0 means no limit. The memory the text needs
// is reserved through `report` before it is read. The text is read into
// `buffer`, which a worker keeps from input to input, and lives as long as
// the buffer is left alone.
std::variant<std::string_view, InputProblem> read_input(Input& input, std::uint64_t max_bytes, InputReport& report,
                                                        std::string& buffer);

// "cannot read {path}: {the operating system's text}".
InputProblem os_failure(const Input& input, int error_number);

}  // namespace quorv::cli
