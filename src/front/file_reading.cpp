#include "front/file_reading.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/format.h"
#include "text/utf8.h"

namespace quorv::front {

namespace {

constexpr std::string_view kOsErrorTemplate = "{} (os error {})";
constexpr std::string_view kNulInPath = "file name contained an unexpected NUL byte";
constexpr std::string_view kInvalidUtf8 = "stream did not contain valid UTF-8";
constexpr std::string_view kCannotRead = "cannot read {}: {}";
constexpr const char* kUnknownError = "Unknown error";
constexpr std::size_t kReadChunk = 64 * 1024;

// Which strerror_r the C library declares depends on the feature macros: the
// GNU one returns the text (often a static string, not the buffer), the XSI
// one fills the buffer and returns a status. Overloading on the return type
// reads either correctly.
[[maybe_unused]] const char* strerror_text(char* text, const char*) { return text; }
[[maybe_unused]] const char* strerror_text(int status, const char* buffer) {
    return status == 0 ? buffer : kUnknownError;
}

FileReadError os_error(int error_number) { return {os_error_description(error_number)}; }

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string os_error_description(int error_number) {
    char buffer[256] = {};
    const char* text = strerror_text(strerror_r(error_number, buffer, sizeof buffer), buffer);
    return fill(kOsErrorTemplate, {text, decimal(std::int64_t{error_number})});
}

std::string_view not_utf8_description() { return kInvalidUtf8; }

std::string cannot_read_message(std::string_view path, std::string_view description) {
    return fill(kCannotRead, {path, description});
}

std::variant<std::string, FileReadError> read_utf8_file(const std::string& path) {
    // The C library would read such a path only up to its first NUL.
    if (path.find('\0') != std::string::npos) return FileReadError{std::string(kNulInPath)};

    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return os_error(errno);
    FileDescriptor file(fd);

    std::string content;
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        content.reserve(static_cast<std::size_t>(info.st_size));
    }
    // Opening a directory succeeds; reading it fails with EISDIR here.
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            return os_error(errno);
        }
        if (got == 0) break;
        content.append(chunk, static_cast<std::size_t>(got));
    }
    // Checked on the whole content, so a character split between two reads is whole here.
    if (!is_valid_utf8(content)) return FileReadError{std::string(kInvalidUtf8)};
    return content;
}

}  // namespace quorv::front
