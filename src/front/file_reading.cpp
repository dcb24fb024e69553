#include "front/file_reading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/format.h"
#include "text/utf8.h"

namespace quorv::front {

namespace {

constexpr std::string_view kOsErrorTemplate = "{} (os error {})";
constexpr std::string_view kNulInPath = "file name contained an unexpected NUL byte";
constexpr std::string_view kCannotRead = "cannot read {}: {}";
constexpr const char* kUnknownError = "Unknown error";
// A stream's first buffer; it doubles as the stream goes on.
constexpr std::size_t kFirstStreamBuffer = 64 * 1024;
// How much a long read takes between two calls of its pacer.
constexpr std::uint64_t kPacedBytes = 16 * 1024 * 1024;

// Which strerror_r the C library declares depends on the feature macros: the
// GNU one returns the text (often a static string, not the buffer), the XSI
// one fills the buffer and returns a status. Overloading on the return type
// reads either correctly.
[[maybe_unused]] const char* strerror_text(char* text, const char*) { return text; }
[[maybe_unused]] const char* strerror_text(int status, const char* buffer) {
    return status == 0 ? buffer : kUnknownError;
}

// How long a wait on a pipe or a device lasts between two calls of the
// pacer: a signal that came just before the wait began is seen this late.
constexpr int kPacedWaitMilliseconds = 100;

bool paced(ReadPacer* pacer) { return pacer == nullptr || pacer->keep_going(); }

// Waits until `fd` has something to read, or its writer is gone. False when
// the pacer says to stop; an error is left for the read to report.
bool wait_readable(int fd, ReadPacer* pacer) {
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, pacer != nullptr ? kPacedWaitMilliseconds : -1);
        if (polled > 0 || (polled < 0 && errno != EINTR)) return true;
        if (!paced(pacer)) return false;
    }
}

}  // namespace

std::string os_error_description(int error_number) {
    char buffer[256] = {};
    const char* text = strerror_text(strerror_r(error_number, buffer, sizeof buffer), buffer);
    return fill(kOsErrorTemplate, {text, decimal(std::int64_t{error_number})});
}

std::string_view not_utf8_description() { return kNotUtf8Description; }

std::string cannot_read_message(std::string_view path, std::string_view description) {
    return fill(kCannotRead, {path, description});
}

std::variant<std::size_t, ReadFailure> read_some(int fd, char* data, std::size_t size, ReadPacer* pacer) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // Opened without blocking (a pipe): wait for it here instead.
            if (!wait_readable(fd, pacer)) return ReadFailure{ReadFailure::Kind::Stopped};
            continue;
        }
        if (errno != EINTR) {
            return ReadFailure{ReadFailure::Kind::OsError, errno};
        }
        if (!paced(pacer)) return ReadFailure{ReadFailure::Kind::Stopped};
    }
}

std::variant<std::size_t, ReadFailure> read_open_file(int fd, std::optional<std::uint64_t> regular_size,
                                                      std::uint64_t most_bytes, ReadPacer* pacer,
                                                      std::string& buffer) {
    // One byte past the expected end, so that a file that grew shows it.
    const std::uint64_t first_read = std::min(regular_size ? *regular_size + 1 : kFirstStreamBuffer, most_bytes + 1);
    if (buffer.size() < first_read) buffer.resize(static_cast<std::size_t>(first_read));
    std::size_t filled = 0;
    std::size_t end = static_cast<std::size_t>(first_read);
    std::uint64_t next_pace = kPacedBytes;
    for (;;) {
        if (filled == end) {
            if (filled > most_bytes) return ReadFailure{ReadFailure::Kind::TooLarge};
            end = static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{end} * 2, most_bytes + 1));
            if (buffer.size() < end) buffer.resize(end);
        }
        const std::size_t wanted = end - filled;
        auto read = read_some(fd, buffer.data() + filled, wanted, pacer);
        if (const auto* failure = std::get_if<ReadFailure>(&read)) return *failure;
        const std::size_t got = std::get<std::size_t>(read);
        if (got == 0) break;
        filled += got;
        // A regular file read to the size it had has met its end, unless it
        // grew: then the read filled the byte past it.
        if (regular_size && *regular_size != 0 && filled == *regular_size && got < wanted) break;
        if (filled >= next_pace) {
            next_pace = filled + kPacedBytes;
            if (!paced(pacer)) return ReadFailure{ReadFailure::Kind::Stopped};
        }
    }
    return filled;
}

std::variant<std::string, FileReadError> read_utf8_file(const std::string& path, ReadPacer* pacer) {
    // The C library would read such a path only up to its first NUL.
    if (path.find('\0') != std::string::npos) return FileReadError{std::string(kNulInPath)};

    // Opened without blocking: a pipe with no writer yet is waited for below,
    // where the pacer has its turns, never inside open().
    UniqueFd file;
    for (;;) {
        file = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (file) break;
        if (errno != EINTR) return FileReadError{os_error_description(errno)};
        if (!paced(pacer)) return FileReadError{{}, true};
    }
    struct stat info {};
    std::optional<std::uint64_t> regular_size;
    const bool known = ::fstat(file.get(), &info) == 0;
    if (known && S_ISREG(info.st_mode)) regular_size = static_cast<std::uint64_t>(info.st_size);
    // Read now, a pipe that no writer has opened would seem to end at once.
    if (known && S_ISFIFO(info.st_mode) && !wait_readable(file.get(), pacer)) return FileReadError{{}, true};

    // Opening a directory succeeds; reading it fails with EISDIR here.
    std::string content;
    auto read =
        read_open_file(file.get(), regular_size, std::max(regular_size.value_or(0), kMostStreamBytes), pacer, content);
    if (const auto* failure = std::get_if<ReadFailure>(&read)) {
        switch (failure->kind) {
            case ReadFailure::Kind::OsError: return FileReadError{os_error_description(failure->error_number)};
            case ReadFailure::Kind::TooLarge: return FileReadError{os_error_description(EFBIG)};
            case ReadFailure::Kind::Stopped: return FileReadError{{}, true};
        }
    }
    content.resize(std::get<std::size_t>(read));
    // Checked on the whole content, so a character split between two reads is whole here.
    if (!is_valid_utf8(content)) return FileReadError{std::string(kNotUtf8Description)};
    return content;
}

}  // namespace quorv::front
