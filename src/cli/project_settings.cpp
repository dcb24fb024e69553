#include "cli/project_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/project_files.h"
#include "front/file_reading.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kCannotReadConfig = "cannot read the configuration {}: {}";
constexpr std::string_view kGitDirectory = ".git";
constexpr std::string_view kGitExclude = ".git/info/exclude";
// In the order they are added: a later one wins over an earlier one.
constexpr std::string_view kIgnoreFileNames[] = {".gitignore", ".ignore"};

bool exists_at(int directory_fd, std::string_view name) {
    struct stat info {};
    return ::fstatat(directory_fd, std::string(name).c_str(), &info, 0) == 0;
}

std::string joined(std::string_view directory, std::string_view name) {
    if (directory.empty() || directory == ".") return std::string(name);
    return child_path(directory, name);
}

}  // namespace

ProjectSettings::ProjectSettings(ConfigValues command_line, std::string current_directory)
    : command_line_(std::move(command_line)), current_directory_(std::move(current_directory)) {}

std::optional<std::string> ProjectSettings::use_only(const std::string& path) {
    auto text = read_project_file(AT_FDCWD, path);
    if (const int* error = std::get_if<int>(&text)) {
        return fill(kCannotReadConfig, {path, front::os_error_description(*error)});
    }
    const bool is_pyproject = std::string_view(path).ends_with(kPyprojectName);
    ConfigLoad load = load_config(path, current_directory_, std::get<std::string>(text), is_pyproject);
    if (auto* error = std::get_if<ConfigError>(&load)) return std::move(error->message);
    const auto* config = std::get_if<ConfigFile>(&load);
    mode_ = Mode::Fixed;
    // A pyproject.toml without our table configures nothing, as it would if found.
    fixed_ = resolve_settings(config != nullptr ? &config->values : nullptr, command_line_);
    return std::nullopt;
}

void ProjectSettings::isolate() {
    mode_ = Mode::Isolated;
    fixed_ = resolve_settings(nullptr, command_line_);
}

std::string ProjectSettings::shown(const std::string& absolute_path) const {
    if (absolute_path == current_directory_) return std::string();
    if (const auto below = path_below(absolute_path, current_directory_)) return std::string(*below);
    return absolute_path;
}

std::variant<std::optional<ConfigFile>, std::string> ProjectSettings::load_in(
    int directory_fd, std::string_view shown_directory, const std::string& absolute_directory,
    const std::function<bool(std::string_view)>& holds) {
    for (std::string_view name : kConfigFileNames) {
        if (!holds(name)) continue;
        const std::string path = joined(shown_directory, name);
        auto text = read_project_file(directory_fd, std::string(name));
        if (const int* error = std::get_if<int>(&text)) {
            return fill(kCannotReadConfig, {path, front::os_error_description(*error)});
        }
        ConfigLoad load = load_config(path, absolute_directory, std::get<std::string>(text), name == kPyprojectName);
        if (auto* error = std::get_if<ConfigError>(&load)) return std::move(error->message);
        if (auto* config = std::get_if<ConfigFile>(&load)) return std::optional<ConfigFile>(std::move(*config));
    }
    return std::optional<ConfigFile>();
}

SettingsOrError ProjectSettings::for_directory(const std::string& absolute_directory) {
    if (mode_ != Mode::Discover) return fixed_;
    {
        std::lock_guard lock(mutex_);
        if (auto found = by_directory_.find(absolute_directory); found != by_directory_.end()) return found->second;
    }
    const front::UniqueFd fd(::open(absolute_directory.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY));
    auto holds = [&](std::string_view name) { return fd && exists_at(fd.get(), name); };
    auto load = load_in(fd ? fd.get() : AT_FDCWD, shown(absolute_directory), absolute_directory, holds);
    SettingsOrError result;
    if (auto* error = std::get_if<std::string>(&load)) {
        result = std::move(*error);
    } else if (auto& config = std::get<std::optional<ConfigFile>>(load)) {
        result = resolve_settings(&config->values, command_line_);
    } else if (absolute_directory == "/") {
        result = resolve_settings(nullptr, command_line_);
    } else {
        result = for_directory(std::string(parent_directory(absolute_directory)));
    }
    std::lock_guard lock(mutex_);
    return by_directory_.emplace(absolute_directory, std::move(result)).first->second;
}

SettingsOrError ProjectSettings::for_searched(int directory_fd, std::string_view shown_path,
                                              const std::string& absolute_directory,
                                              const std::function<bool(std::string_view)>& holds,
                                              std::shared_ptr<const FileSettings> inherited) {
    if (mode_ != Mode::Discover) return fixed_;
    auto load = load_in(directory_fd, shown_path, absolute_directory, holds);
    if (auto* error = std::get_if<std::string>(&load)) return std::move(*error);
    if (auto& config = std::get<std::optional<ConfigFile>>(load)) return resolve_settings(&config->values, command_line_);
    return inherited;
}

std::shared_ptr<const IgnoreChain> with_ignore_files_of(int directory_fd, const std::string& absolute_directory,
                                                        const std::function<bool(std::string_view)>& holds,
                                                        std::shared_ptr<const IgnoreChain> above) {
    for (std::string_view name : kIgnoreFileNames) {
        if (!holds(name)) continue;
        auto text = read_project_file(directory_fd, std::string(name));
        // An ignore file that cannot be read ignores nothing, as in git.
        if (const auto* content = std::get_if<std::string>(&text)) {
            above = IgnoreChain::extend(std::move(above), absolute_directory, IgnoreFile(*content));
        }
    }
    return above;
}

std::shared_ptr<const IgnoreChain> ignore_files_above(const std::string& absolute_directory) {
    // The directories from the repository's root down to the parent, if there is a repository.
    std::vector<std::string> ancestors;
    std::string root;
    for (std::string directory = absolute_directory;;) {
        if (::access(child_path(directory, kGitDirectory).c_str(), F_OK) == 0) {
            root = directory;
            break;
        }
        if (directory == "/") return nullptr;
        directory = std::string(parent_directory(directory));
        ancestors.push_back(directory);
    }
    std::shared_ptr<const IgnoreChain> chain;
    if (auto exclude = read_project_file(AT_FDCWD, child_path(root, kGitExclude));
        const auto* text = std::get_if<std::string>(&exclude)) {
        chain = IgnoreChain::extend(nullptr, root, IgnoreFile(*text));
    }
    // `ancestors` runs upward and ends at the root; the files go on from the root down.
    for (auto directory = ancestors.rbegin(); directory != ancestors.rend(); ++directory) {
        const front::UniqueFd fd(::open(directory->c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY));
        if (!fd) continue;
        chain = with_ignore_files_of(fd.get(), *directory, [&](std::string_view name) { return exists_at(fd.get(), name); },
                                     std::move(chain));
    }
    return chain;
}

}  // namespace quorv::cli
