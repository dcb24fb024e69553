#include "cli/input_walk.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <variant>

#include "front/file_reading.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kStdinPath = "-";
constexpr std::string_view kDirectoryLoop = "directory loop: it leads back to {}, which is searched already";
constexpr std::string_view kNotRegularFile = "not a regular file";

// The suffixes a directory search picks up; a file named explicitly is linted whatever its name.
constexpr std::string_view kLintedSuffixes[] = {".xyz", ".json", ".py"};

// Markers of a Python environment folder: venv/virtualenv write pyvenv.cfg, conda keeps conda-meta.
constexpr std::string_view kEnvironmentMarkers[] = {"pyvenv.cfg", "conda-meta"};

using DirectoryId = std::pair<dev_t, ino_t>;

bool has_linted_suffix(std::string_view name) {
    return std::any_of(std::begin(kLintedSuffixes), std::end(kLintedSuffixes),
                       [&](std::string_view suffix) { return name.ends_with(suffix); });
}

std::string join(const std::string& directory, const std::string& name) {
    if (directory == ".") return name;  // "a.json" reads better than "./a.json"
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool is_environment_folder(const std::string& path) {
    return std::any_of(std::begin(kEnvironmentMarkers), std::end(kEnvironmentMarkers),
                       [&](std::string_view marker) { return exists(join(path, std::string(marker))); });
}

// The entry names of a directory, sorted bytewise, or the errno that stopped the listing.
std::variant<std::vector<std::string>, int> list_directory(const std::string& path) {
    DIR* directory = ::opendir(path.c_str());
    if (directory == nullptr) return errno;
    std::vector<std::string> names;
    int failure = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory);
        if (entry == nullptr) {
            failure = errno;
            break;
        }
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(directory);
    if (failure != 0) return failure;
    std::sort(names.begin(), names.end());
    return names;
}

class Walker {
public:
    void add_argument(const std::string& path) {
        if (!seen_paths_.insert(path).second) return;
        if (path == kStdinPath) {
            inputs_.push_back({path, Input::What::Stdin, {}});
            return;
        }
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            walk_directory(path, {info.st_dev, info.st_ino});
        } else {
            // Named explicitly: read it whatever it is, and let the read say what went wrong.
            inputs_.push_back({path, Input::What::File, {}});
        }
    }

    std::vector<Input> take() { return std::move(inputs_); }

private:
    void walk_directory(const std::string& path, DirectoryId id) {
        for (const auto& [ancestor_id, ancestor_path] : ancestors_) {
            if (ancestor_id == id) {
                inputs_.push_back({path, Input::What::Skipped, fill(kDirectoryLoop, {ancestor_path})});
                return;
            }
        }
        // Reached a second time by another way (a link, or a path named twice): searched already.
        if (!visited_.insert(id).second) return;

        auto listing = list_directory(path);
        if (const int* error = std::get_if<int>(&listing)) {
            inputs_.push_back({path, Input::What::Failed, front::cannot_read_message(path, front::os_error_description(*error))});
            return;
        }
        ancestors_.emplace_back(id, path);
        for (const std::string& name : std::get<std::vector<std::string>>(listing)) {
            visit_entry(join(path, name), name);
        }
        ancestors_.pop_back();
    }

    void visit_entry(const std::string& path, const std::string& name) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            // A dangling link or a vanished file with a linted name: the read reports it.
            if (has_linted_suffix(name)) add_file(path);
            return;
        }
        if (S_ISDIR(info.st_mode)) {
            if (name.starts_with('.') || is_environment_folder(path)) return;
            walk_directory(path, {info.st_dev, info.st_ino});
        } else if (has_linted_suffix(name)) {
            // A pipe or a device would block or never end: only regular files are read.
            if (S_ISREG(info.st_mode)) add_file(path);
            else inputs_.push_back({path, Input::What::Skipped, std::string(kNotRegularFile)});
        }
    }

    void add_file(const std::string& path) {
        if (seen_paths_.insert(path).second) inputs_.push_back({path, Input::What::File, {}});
    }

    std::vector<Input> inputs_;
    std::set<std::string> seen_paths_;
    std::set<DirectoryId> visited_;
    std::vector<std::pair<DirectoryId, std::string>> ancestors_;
};

}  // namespace

std::vector<Input> collect_inputs(const std::vector<std::string>& paths) {
    Walker walker;
    for (const std::string& path : paths) walker.add_argument(path);
    return walker.take();
}

}  // namespace quorv::cli
