#include "lib/file_input.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lib/format.h"

namespace quorv {

namespace {

// The GNU strerror_r returns its text (which may not be the buffer); the XSI
// one fills the buffer and returns a status. Overloads pick the right reading.
[[maybe_unused]] const char* strerror_text(char* result, const char*) { return result; }
[[maybe_unused]] const char* strerror_text(int status, const char* buffer) {
    return status == 0 ? buffer : "Unknown error";
}

FileReadError os_error(int error_number) {
    char buffer[256] = {};
    const char* text = strerror_text(strerror_r(error_number, buffer, sizeof buffer), buffer);
    return {fill("{} (os error {})", {text, decimal(std::int64_t{error_number})})};
}

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

std::variant<std::string, FileReadError> read_utf8_file(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return FileReadError{"file name contained an unexpected NUL byte"};
    }
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return os_error(errno);

    std::string content;
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        content.reserve(static_cast<std::size_t>(info.st_size));
    }
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            return os_error(errno);
        }
        if (got == 0) break;
        content.append(chunk, static_cast<std::size_t>(got));
    }
    if (!is_valid_utf8(content)) return FileReadError{"stream did not contain valid UTF-8"};
    return content;
}

bool is_valid_utf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    auto continuation = [&](const unsigned char* q, unsigned char low, unsigned char high) {
        return q < end && *q >= low && *q <= high;
    };
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            if (!continuation(p + 1, 0x80, 0xBF)) return false;
            p += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            // E0 needs A0..BF (no overlong), ED needs 80..9F (no surrogate).
            const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
            const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
            if (!continuation(p + 1, low, high) || !continuation(p + 2, 0x80, 0xBF)) return false;
            p += 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            // F0 needs 90..BF (no overlong), F4 needs 80..8F (nothing past U+10FFFF).
            const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
            const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
            if (!continuation(p + 1, low, high) || !continuation(p + 2, 0x80, 0xBF) ||
                !continuation(p + 3, 0x80, 0xBF)) {
                return false;
            }
            p += 4;
        } else {
            return false;
        }
    }
    return true;
}

InputKind input_kind_for_path(std::string_view path) {
    if (path.ends_with(".py")) return InputKind::PythonSource;
    if (path.ends_with(".xyz")) return InputKind::Xyz;
    return InputKind::ClusterSpecJson;
}

}  // namespace quorv
