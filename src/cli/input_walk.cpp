#include "cli/input_walk.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <unistd.h>
#include <unordered_set>
#include <utility>
#include <variant>

#include "cli/file_kinds.h"
#include "cli/project_files.h"
#include "front/file_reading.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kStdinPath = "-";
constexpr std::string_view kDirectoryLoop = "directory loop: it leads back to {}, which is searched already";

// Markers of a Python environment folder: venv/virtualenv write pyvenv.cfg, conda keeps conda-meta.
constexpr std::string_view kEnvironmentMarkers[] = {"pyvenv.cfg", "conda-meta"};

constexpr int kOpenFileFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
constexpr int kOpenDirectoryFlags = O_RDONLY | O_CLOEXEC | O_DIRECTORY;

using DirectoryId = std::pair<dev_t, ino_t>;

// A directory search picks up the linted suffixes; a file named explicitly is linted whatever its name.
bool has_linted_suffix(std::string_view name) { return searched_kind(name).has_value(); }

std::string join(const std::string& directory, std::string_view name) {
    if (directory == ".") return std::string(name);  // "a.json" reads better than "./a.json"
    std::string path = directory;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

// Retries an interrupted call; a signal is no reason to fail.
template <typename Call>
int retrying(Call call) {
    int result = 0;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

Input make_input(Input::What what, std::string path) {
    Input input;
    input.what = what;
    input.path = std::move(path);
    return input;
}

struct Entry {
    std::string name;
    unsigned char type;  // a DT_* value; DT_UNKNOWN where the file system does not say
};

// The entries of an open directory (without "." and ".."), sorted bytewise,
// or the errno that stopped the listing. The descriptor stays open.
std::variant<std::vector<Entry>, int> list_directory(int fd) {
    // A descriptor of its own: closedir() closes it, and the directory's stays open.
    const int listing_fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (listing_fd < 0) return errno;
    DIR* directory = ::fdopendir(listing_fd);
    if (directory == nullptr) {
        const int error = errno;
        ::close(listing_fd);
        return error;
    }
    std::vector<Entry> entries;
    int failure = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory);
        if (entry == nullptr) {
            failure = errno;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") entries.push_back({std::string(name), entry->d_type});
    }
    ::closedir(directory);
    if (failure != 0) return failure;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

bool is_environment_folder(const std::vector<Entry>& entries) {
    return std::any_of(entries.begin(), entries.end(), [](const Entry& entry) {
        return std::find(std::begin(kEnvironmentMarkers), std::end(kEnvironmentMarkers), entry.name) !=
               std::end(kEnvironmentMarkers);
    });
}

// Whether a sorted listing holds an entry of that name.
bool holds_entry(const std::vector<Entry>& entries, std::string_view name) {
    const auto found = std::lower_bound(entries.begin(), entries.end(), name,
                                        [](const Entry& entry, std::string_view wanted) { return entry.name < wanted; });
    return found != entries.end() && found->name == name;
}

// What governs a directory of the search and everything found in it.
struct DirectoryRules {
    std::shared_ptr<const FileSettings> settings;
    std::shared_ptr<const IgnoreChain> ignores;
    std::string absolute_path;
};

class Walker {
public:
    Walker(const std::vector<std::string>& paths, std::string_view stdin_name, ProjectSettings& project,
           const std::function<void(Input&&)>& found)
        : stdin_name_(stdin_name), project_(project), found_(found) {
        for (const std::string& path : paths) named_.insert(path);
    }

    const WalkCounts& counts() const { return counts_; }

    void add_argument(const std::string& path) {
        if (!first_time_named(path)) return;
        if (path == kStdinPath) {
            add_standard_input();
            return;
        }
        const std::string absolute = lexically_absolute(project_.current_directory(), path);
        // Opened without blocking, so that a pipe with no writer never holds up the search.
        front::UniqueFd fd(retrying([&] { return ::open(path.c_str(), kOpenFileFlags); }));
        struct stat info {};
        if (!fd || ::fstat(fd.get(), &info) != 0) {
            fail(path, front::cannot_read_message(path, front::os_error_description(errno)));
            return;
        }
        const bool is_directory = S_ISDIR(info.st_mode);
        auto settings = project_.for_directory(is_directory ? absolute : std::string(parent_directory(absolute)));
        if (auto* error = std::get_if<std::string>(&settings)) {
            fail(path, std::move(*error));
            return;
        }
        auto& chosen = std::get<std::shared_ptr<const FileSettings>>(settings);
        if (is_directory) {
            auto ignores = chosen->respect_gitignore ? ignore_files_above(absolute) : nullptr;
            walk(std::make_shared<OpenDirectory>(std::move(fd), path), info,
                 {std::move(chosen), std::move(ignores), absolute});
            return;
        }
        // Named explicitly: read it whatever it is, and let the read say what went wrong.
        Input input = make_input(Input::What::File, path);
        input.opened = std::move(fd);
        input.opened_info = info;
        input.settings = std::move(chosen);
        input.absolute_path = absolute;
        emit(std::move(input));
    }

private:
    // Standard input stands for the file --stdin-filename names, if any: its
    // path is shown, and its configuration found from its directory.
    void add_standard_input() {
        const std::string absolute = lexically_absolute(project_.current_directory(), stdin_name_);
        auto settings = project_.for_directory(std::string(parent_directory(absolute)));
        if (auto* error = std::get_if<std::string>(&settings)) {
            fail(std::string(stdin_name_), std::move(*error));
            return;
        }
        Input input = make_input(Input::What::Stdin, std::string(stdin_name_));
        input.settings = std::move(std::get<std::shared_ptr<const FileSettings>>(settings));
        input.absolute_path = absolute;
        emit(std::move(input));
    }

    // A directory being searched, and how far.
    struct Level {
        std::shared_ptr<const OpenDirectory> directory;
        DirectoryId id;
        std::vector<Entry> entries;
        std::shared_ptr<const DirectoryRules> rules;  // shared: each entry takes it without a copy
        std::size_t next = 0;
    };

    void emit(Input&& input) { found_(std::move(input)); }

    void fail(const std::string& path, std::string problem) {
        Input input = make_input(Input::What::Failed, path);
        input.problem = std::move(problem);
        emit(std::move(input));
    }

    void skip(std::string path, std::string problem) {
        Input input = make_input(Input::What::Skipped, std::move(path));
        input.problem = std::move(problem);
        emit(std::move(input));
    }

    // A path named on the command line is linted once, also when a search
    // finds it as well (by the same text).
    bool first_time_named(const std::string& path) { return named_.count(path) == 0 || emitted_.insert(path).second; }

    // Depth-first with an explicit stack: a deep tree costs memory, never the call stack.
    void walk(std::shared_ptr<const OpenDirectory> root, const struct stat& info, DirectoryRules rules) {
        if (!enter(std::move(root), info, std::move(rules), false)) return;
        while (!stack_.empty()) {
            Level& level = stack_.back();
            if (level.next == level.entries.size()) {
                stack_.pop_back();
                continue;
            }
            // Copied out: visiting may push onto the stack, which moves `level`.
            const std::shared_ptr<const OpenDirectory> directory = level.directory;
            const std::shared_ptr<const DirectoryRules> rules = level.rules;
            const Entry entry = std::move(level.entries[level.next++]);
            visit(directory, *rules, entry.name, entry.type);
        }
    }

    // Lists the directory and pushes it onto the stack; false when there is
    // nothing to search (a loop, a repeat, an environment folder, a failure).
    // `rules` are those in force above it; its own configuration and ignore
    // files join them.
    bool enter(std::shared_ptr<const OpenDirectory> directory, const struct stat& info, DirectoryRules rules,
               bool found_in_search) {
        const DirectoryId id{info.st_dev, info.st_ino};
        for (const Level& ancestor : stack_) {
            if (ancestor.id == id) {
                skip(directory->path(), fill(kDirectoryLoop, {ancestor.directory->path()}));
                return false;
            }
        }
        // Reached a second time by another way (a link, or a path named twice): searched already.
        if (!visited_.insert(id).second) return false;

        auto listing = list_directory(directory->fd());
        if (const int* error = std::get_if<int>(&listing)) {
            fail(directory->path(), front::cannot_read_message(directory->path(), front::os_error_description(*error)));
            return false;
        }
        auto& entries = std::get<std::vector<Entry>>(listing);
        if (found_in_search && is_environment_folder(entries)) return false;
        // A directory that can be listed but not entered would hide every entry.
        if (!entries.empty() && ::faccessat(directory->fd(), ".", X_OK, AT_EACCESS) != 0) {
            fail(directory->path(), front::cannot_read_message(directory->path(), front::os_error_description(errno)));
            return false;
        }
        auto holds = [&](std::string_view name) { return holds_entry(entries, name); };
        if (found_in_search) {
            auto settings = project_.for_searched(directory->fd(), directory->path(), rules.absolute_path, holds,
                                                  std::move(rules.settings));
            if (auto* error = std::get_if<std::string>(&settings)) {
                fail(directory->path(), std::move(*error));
                return false;
            }
            rules.settings = std::move(std::get<std::shared_ptr<const FileSettings>>(settings));
        }
        if (rules.settings->respect_gitignore) {
            rules.ignores = with_ignore_files_of(directory->fd(), rules.absolute_path, holds, std::move(rules.ignores));
        }
        stack_.push_back(
            {std::move(directory), id, std::move(entries), std::make_shared<const DirectoryRules>(std::move(rules))});
        return true;
    }

    // Whether the rules in force leave the entry out; counts it if so.
    bool left_out(const DirectoryRules& rules, std::string_view absolute_path, bool is_directory) {
        if (rules.settings->excludes_path(absolute_path, is_directory)) {
            ++counts_.excluded;
            return true;
        }
        if (rules.settings->respect_gitignore && IgnoreChain::ignores(rules.ignores.get(), absolute_path, is_directory)) {
            ++counts_.ignored;
            return true;
        }
        return false;
    }

    void visit(const std::shared_ptr<const OpenDirectory>& parent, const DirectoryRules& rules,
               const std::string& name, unsigned char type) {
        struct stat info {};
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // Only a link or a file system that does not say needs a stat.
            if (::fstatat(parent->fd(), name.c_str(), &info, 0) != 0) {
                const int error = errno;
                // A dangling link or a vanished file: the read says so if it has a linted name.
                if (has_linted_suffix(name)) add_file(parent, rules, name);
                else if (error != ENOENT) fail_entry(parent, name, error);
                return;
            }
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            if (name.starts_with('.')) return;
            std::string absolute = child_path(rules.absolute_path, name);
            if (!left_out(rules, absolute, true)) descend(parent, rules, name, std::move(absolute));
        } else if (has_linted_suffix(name)) {
            if (left_out(rules, child_path(rules.absolute_path, name), false)) return;
            // A pipe or a device would block or never end: only regular files are read.
            if (type == DT_REG) add_file(parent, rules, name);
            else skip(join(parent->path(), name), std::string(kNotRegularFile));
        }
    }

    void descend(const std::shared_ptr<const OpenDirectory>& parent, const DirectoryRules& rules,
                 const std::string& name, std::string absolute) {
        std::string path = join(parent->path(), name);
        front::UniqueFd fd(retrying([&] { return ::openat(parent->fd(), name.c_str(), kOpenDirectoryFlags); }));
        struct stat info {};
        if (!fd || ::fstat(fd.get(), &info) != 0) {
            fail(path, front::cannot_read_message(path, front::os_error_description(errno)));
            return;
        }
        enter(std::make_shared<OpenDirectory>(std::move(fd), std::move(path)), info,
              {rules.settings, rules.ignores, std::move(absolute)}, true);
    }

    void fail_entry(const std::shared_ptr<const OpenDirectory>& parent, const std::string& name, int error) {
        const std::string path = join(parent->path(), name);
        fail(path, front::cannot_read_message(path, front::os_error_description(error)));
    }

    void add_file(const std::shared_ptr<const OpenDirectory>& parent, const DirectoryRules& rules,
                  std::string_view name) {
        Input input = make_input(Input::What::File, join(parent->path(), name));
        if (!first_time_named(input.path)) return;
        input.name_offset = input.path.size() - name.size();
        input.directory = parent;
        input.settings = rules.settings;
        input.absolute_path = child_path(rules.absolute_path, name);
        emit(std::move(input));
    }

    std::string_view stdin_name_;
    ProjectSettings& project_;
    const std::function<void(Input&&)>& found_;
    WalkCounts counts_;
    std::vector<Level> stack_;
    std::set<DirectoryId> visited_;
    std::unordered_set<std::string> named_;    // every path of the command line
    std::unordered_set<std::string> emitted_;  // those of them linted already
};

}  // namespace

WalkCounts walk_inputs(const std::vector<std::string>& paths, std::string_view stdin_name, ProjectSettings& project,
                       const std::function<void(Input&&)>& found) {
    Walker walker(paths, stdin_name, project, found);
    for (const std::string& path : paths) walker.add_argument(path);
    return walker.counts();
}

}  // namespace quorv::cli
