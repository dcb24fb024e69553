#include "cli/input_walk.h"

#include <algorithm>
#include <cerrno>
#include <deque>
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

std::string join(const std::string& directory, std::string_view name) {
    if (directory == ".") return std::string(name);  // "a.json" reads better than "./a.json"
    const bool needs_slash = directory.empty() || directory.back() != '/';
    std::string path;
    path.reserve(directory.size() + needs_slash + name.size());
    path += directory;
    if (needs_slash) path += '/';
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

bool is_environment_folder(const DirectoryListing& listing) {
    return std::any_of(std::begin(kEnvironmentMarkers), std::end(kEnvironmentMarkers),
                       [&](std::string_view marker) { return listing.holds(marker); });
}

// What governs a directory of the search and everything found in it.
struct DirectoryRules {
    std::shared_ptr<const FileSettings> settings;
    std::shared_ptr<const IgnoreChain> ignores;
    std::string absolute_path;
};

// Lets a set of names be searched with a view, without a string made for it.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};

class Walker {
public:
    Walker(const std::vector<std::string>& paths, std::string_view stdin_name, ProjectSettings& project,
           const std::function<void(Input&&)>& found)
        : stdin_name_(stdin_name), project_(project), found_(found) {
        for (const std::string& path : paths) {
            named_.insert(path);
            // A search finds only files with a linted name.
            const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
            if (searched_kind(name)) named_names_.emplace(name);
        }
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
            walk(std::move(fd), path, info, {std::move(chosen), std::move(ignores), absolute});
            return;
        }
        // Named explicitly: read it whatever it is, and let the read say what went wrong.
        Input input = make_input(Input::What::File, path);
        input.kind = named_file_kind(path);
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
        DirectoryRules rules;
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
    void walk(front::UniqueFd root, std::string path, const struct stat& info, DirectoryRules rules) {
        if (!enter(std::move(root), std::move(path), info, std::move(rules), false)) return;
        while (!stack_.empty()) {
            // Visiting may push onto the stack, which leaves `level` where it is.
            Level& level = stack_.back();
            const DirectoryListing& entries = level.directory->entries();
            if (level.next == entries.size()) {
                stack_.pop_back();
                continue;
            }
            const DirectoryListing::Entry& entry = entries[level.next++];
            visit(level.directory, level.rules, entries.name(entry), entries.c_name(entry), entry.type);
        }
    }

    // Lists the directory and pushes it onto the stack; false when there is
    // nothing to search (a loop, a repeat, an environment folder, a failure).
    // `rules` are those in force above it; its own configuration and ignore
    // files join them.
    bool enter(front::UniqueFd fd, std::string path, const struct stat& info, DirectoryRules rules,
               bool found_in_search) {
        const DirectoryId id{info.st_dev, info.st_ino};
        for (const Level& ancestor : stack_) {
            if (ancestor.id == id) {
                skip(std::move(path), fill(kDirectoryLoop, {ancestor.directory->path()}));
                return false;
            }
        }
        // Reached a second time by another way (a link, or a path named twice): searched already.
        if (!visited_.insert(id).second) return false;

        auto listing = DirectoryListing::read(fd.get());
        if (const int* error = std::get_if<int>(&listing)) {
            fail(path, front::cannot_read_message(path, front::os_error_description(*error)));
            return false;
        }
        auto& entries = std::get<DirectoryListing>(listing);
        if (found_in_search && is_environment_folder(entries)) return false;
        // A directory that can be listed but not entered would hide every entry.
        if (!entries.empty() && ::faccessat(fd.get(), ".", X_OK, AT_EACCESS) != 0) {
            fail(path, front::cannot_read_message(path, front::os_error_description(errno)));
            return false;
        }
        auto holds = [&](std::string_view name) { return entries.holds(name); };
        if (found_in_search) {
            auto settings =
                project_.for_searched(fd.get(), path, rules.absolute_path, holds, std::move(rules.settings));
            if (auto* error = std::get_if<std::string>(&settings)) {
                fail(path, std::move(*error));
                return false;
            }
            rules.settings = std::move(std::get<std::shared_ptr<const FileSettings>>(settings));
        }
        if (rules.settings->respect_gitignore) {
            rules.ignores = with_ignore_files_of(fd.get(), rules.absolute_path, holds, std::move(rules.ignores));
        }
        auto directory = std::make_shared<const OpenDirectory>(std::move(fd), std::move(path), std::move(entries));
        stack_.push_back({std::move(directory), id, std::move(rules)});
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

    // Whether a file could be left out at all: only then is its absolute path made.
    static bool may_leave_out_files(const DirectoryRules& rules) {
        return !rules.settings->excludes.empty() || (rules.settings->respect_gitignore && rules.ignores != nullptr);
    }

    // `c_name` is `name` as a C string.
    void visit(const std::shared_ptr<const OpenDirectory>& parent, const DirectoryRules& rules, std::string_view name,
               const char* c_name, unsigned char type) {
        struct stat info {};
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // Only a link or a file system that does not say needs a stat.
            if (::fstatat(parent->fd(), c_name, &info, 0) != 0) {
                const int error = errno;
                // A dangling link or a vanished file: the read says so if it has a linted name.
                if (const auto kind = searched_kind(name)) add_file(parent, rules, name, *kind);
                else if (error != ENOENT) fail_entry(parent, name, error);
                return;
            }
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            if (name.starts_with('.')) return;
            std::string absolute = child_path(rules.absolute_path, name);
            if (!left_out(rules, absolute, true)) descend(parent, rules, c_name, std::move(absolute));
        } else if (const auto kind = searched_kind(name)) {
            if (may_leave_out_files(rules) && left_out(rules, child_path(rules.absolute_path, name), false)) return;
            // A pipe or a device would block or never end: only regular files are read.
            if (type == DT_REG) add_file(parent, rules, name, *kind);
            else skip(join(parent->path(), name), std::string(kNotRegularFile));
        }
    }

    void descend(const std::shared_ptr<const OpenDirectory>& parent, const DirectoryRules& rules, const char* name,
                 std::string absolute) {
        std::string path = join(parent->path(), name);
        front::UniqueFd fd(retrying([&] { return ::openat(parent->fd(), name, kOpenDirectoryFlags); }));
        struct stat info {};
        if (!fd || ::fstat(fd.get(), &info) != 0) {
            fail(path, front::cannot_read_message(path, front::os_error_description(errno)));
            return;
        }
        enter(std::move(fd), std::move(path), info, {rules.settings, rules.ignores, std::move(absolute)}, true);
    }

    void fail_entry(const std::shared_ptr<const OpenDirectory>& parent, std::string_view name, int error) {
        const std::string path = join(parent->path(), name);
        fail(path, front::cannot_read_message(path, front::os_error_description(error)));
    }

    // `name` stands in `parent`'s listing.
    void add_file(const std::shared_ptr<const OpenDirectory>& parent, const DirectoryRules& rules,
                  std::string_view name, front::InputKind kind) {
        // Only a file whose name ends a path of the command line can be one of them.
        if (!named_names_.empty() && named_names_.contains(name) && !first_time_named(join(parent->path(), name))) {
            return;
        }
        Input input;
        input.found_name = name;
        input.kind = kind;
        input.directory = parent;
        input.settings = rules.settings;
        // Only per-file ignores look at a found file's absolute path.
        if (!rules.settings->per_file_ignores.empty()) input.absolute_path = child_path(rules.absolute_path, name);
        emit(std::move(input));
    }

    std::string_view stdin_name_;
    ProjectSettings& project_;
    const std::function<void(Input&&)>& found_;
    WalkCounts counts_;
    std::deque<Level> stack_;  // a deque: pushing leaves the levels below where they are
    std::set<DirectoryId> visited_;
    std::unordered_set<std::string> named_;    // every path of the command line
    std::unordered_set<std::string, NameHash, std::equal_to<>> named_names_;  // what ends each of them
    std::unordered_set<std::string> emitted_;  // those of them linted already
};

}  // namespace

void Input::complete_path() {
    if (!found_name.empty() && path.empty()) path = join(directory->path(), found_name);
}

WalkCounts walk_inputs(const std::vector<std::string>& paths, std::string_view stdin_name, ProjectSettings& project,
                       const std::function<void(Input&&)>& found) {
    Walker walker(paths, stdin_name, project, found);
    for (const std::string& path : paths) walker.add_argument(path);
    return walker.counts();
}

}  // namespace quorv::cli
