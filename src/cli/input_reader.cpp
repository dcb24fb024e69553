#include "cli/input_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <unistd.h>

#include "front/file_reading.h"
#include "text/format.h"
#include "text/utf8.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kTooLarge = "larger than {} bytes (raise --max-file-size to lint it)";
// Never blocks: a pipe put where a search found a file is reported, not waited on.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

InputProblem failure(const Input& input, std::string description) {
    return {InputProblem::Kind::Failure, front::cannot_read_message(input.path, description), true, {}};
}

InputProblem too_large(const Input& input, std::uint64_t max_bytes) {
    return failure(input, fill(kTooLarge, {decimal(max_bytes)}));
}

// The descriptor the search opened, standard input, or a file opened
// relative to its directory; or the errno of a failed open or fstat.
std::variant<OpenedInput, int> open_descriptor(Input& input) {
    OpenedInput opened;
    if (input.what == Input::What::Stdin) {
        opened.fd = STDIN_FILENO;
    } else if (input.opened) {
        opened.owned = std::move(input.opened);
        opened.fd = opened.owned.get();
        opened.info = input.opened_info;
        return opened;
    } else {
        int fd = -1;
        do {
            fd = ::openat(input.directory->fd(), input.name(), kOpenFlags);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) return errno;
        opened.owned = front::UniqueFd(fd);
        opened.fd = fd;
    }
    if (::fstat(opened.fd, &opened.info) != 0) return errno;
    return opened;
}

}  // namespace

InputProblem os_failure(const Input& input, int error_number) {
    return failure(input, front::os_error_description(error_number));
}

std::variant<OpenedInput, InputProblem> open_input(Input& input) {
    auto opening = open_descriptor(input);
    if (const int* error = std::get_if<int>(&opening)) return os_failure(input, *error);
    OpenedInput& opened = std::get<OpenedInput>(opening);
    // As the module says it: opening a directory succeeds, reading it fails.
    if (S_ISDIR(opened.info.st_mode)) return os_failure(input, EISDIR);
    if (!opened.is_regular_file() && input.directory) {
        return InputProblem{InputProblem::Kind::Skipped, std::string(kNotRegularFile), false, {}};
    }
    return std::move(opened);
}

std::variant<std::string_view, InputProblem> read_input(Input& input, std::uint64_t max_bytes, InputReport& report,
                                                        std::string& buffer) {
    auto opening = open_input(input);
    if (auto* problem = std::get_if<InputProblem>(&opening)) return std::move(*problem);
    const OpenedInput& opened = std::get<OpenedInput>(opening);
    const std::uint64_t most_bytes = max_bytes != 0 ? max_bytes : std::numeric_limits<std::uint64_t>::max() - 1;

    std::optional<std::uint64_t> regular_size;
    if (opened.is_regular_file()) {
        regular_size = static_cast<std::uint64_t>(opened.info.st_size);
        if (*regular_size > most_bytes) return too_large(input, max_bytes);
        report.reserve_text(*regular_size + 1);
    } else {
        // A pipe or device named on the command line is read like a file, to the limit.
        report.reserve_text(max_bytes != 0 ? max_bytes + 1 : front::kMostStreamBytes);
    }

    auto read = front::read_open_file(opened.fd, regular_size, most_bytes, nullptr, buffer);
    if (const auto* problem = std::get_if<front::ReadFailure>(&read)) {
        if (problem->kind == front::ReadFailure::Kind::TooLarge) return too_large(input, max_bytes);
        return os_failure(input, problem->error_number);
    }
    const std::string_view content(buffer.data(), std::get<std::size_t>(read));
    if (!is_valid_utf8(content)) return failure(input, std::string(front::not_utf8_description()));
    return content;
}

}  // namespace quorv::cli
