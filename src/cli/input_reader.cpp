#include "cli/input_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/format.h"
#include "text/utf8.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kTooLarge = "larger than {} bytes (raise --max-file-size to lint it)";
constexpr std::size_t kChunkBytes = 65536;

front::FileReadError too_large(std::uint64_t max_bytes) {
    return {fill(kTooLarge, {decimal(max_bytes)})};
}

// Reads a stream (a pipe, a terminal, a device) to its end, stopping as soon
// as it passes the limit, so that an endless one cannot exhaust memory.
std::variant<std::string, front::FileReadError> read_stream(int fd, std::uint64_t max_bytes) {
    std::string content;
    char chunk[kChunkBytes];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            return front::FileReadError{front::os_error_description(errno)};
        }
        if (got == 0) break;
        content.append(chunk, static_cast<std::size_t>(got));
        if (max_bytes != 0 && content.size() > max_bytes) return too_large(max_bytes);
    }
    if (!is_valid_utf8(content)) return front::FileReadError{std::string(front::not_utf8_description())};
    return content;
}

std::variant<std::string, front::FileReadError> read_named_stream(const std::string& path, std::uint64_t max_bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return front::FileReadError{front::os_error_description(errno)};
    auto result = read_stream(fd, max_bytes);
    ::close(fd);
    return result;
}

}  // namespace

std::variant<std::string, front::FileReadError> read_input(const Input& input, std::uint64_t max_bytes) {
    if (input.what == Input::What::Stdin) return read_stream(STDIN_FILENO, max_bytes);

    struct stat info {};
    if (input.path.find('\0') == std::string::npos && ::stat(input.path.c_str(), &info) == 0) {
        if (S_ISREG(info.st_mode)) {
            if (max_bytes != 0 && static_cast<std::uint64_t>(info.st_size) > max_bytes) return too_large(max_bytes);
        } else if (!S_ISDIR(info.st_mode)) {
            return read_named_stream(input.path, max_bytes);
        }
    }
    // Regular files, directories and paths that do not open: the module's own
    // reading, so that the texts of its failures are the same.
    return front::read_utf8_file(input.path);
}

}  // namespace quorv::cli
