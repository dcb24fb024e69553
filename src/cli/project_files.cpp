#include "cli/project_files.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

#include "front/file_reading.h"
#include "front/unique_fd.h"

namespace quorv::cli {

namespace {

constexpr std::uint64_t kMostProjectFileBytes = 16 * 1024 * 1024;

}  // namespace

std::variant<std::string, int> read_project_file(int directory_fd, const std::string& name) {
    int fd = -1;
    do {
        fd = ::openat(directory_fd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    const front::UniqueFd owned(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) return errno;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    // Only a regular file: a pipe named like a configuration must not hold the search up.
    if (!S_ISREG(info.st_mode)) return EINVAL;
    std::string text;
    auto read = front::read_open_file(fd, static_cast<std::uint64_t>(info.st_size), kMostProjectFileBytes, nullptr,
                                      text);
    if (const auto* failure = std::get_if<front::ReadFailure>(&read)) {
        return failure->kind == front::ReadFailure::Kind::OsError ? failure->error_number : EFBIG;
    }
    text.resize(std::get<std::size_t>(read));
    return text;
}

std::string lexically_absolute(std::string_view current_directory, std::string_view path) {
    std::filesystem::path full(path);
    if (!full.is_absolute()) full = std::filesystem::path(current_directory) / full;
    std::string normal = full.lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

std::string_view parent_directory(std::string_view absolute_path) {
    const std::size_t slash = absolute_path.rfind('/');
    if (slash == std::string_view::npos || slash == 0) return "/";
    return absolute_path.substr(0, slash);
}

std::string child_path(std::string_view absolute_directory, std::string_view name) {
    const bool needs_slash = absolute_directory.empty() || absolute_directory.back() != '/';
    std::string path;
    path.reserve(absolute_directory.size() + needs_slash + name.size());
    path += absolute_directory;
    if (needs_slash) path += '/';
    path += name;
    return path;
}

}  // namespace quorv::cli
