// Turns the paths of the command line into the inputs to lint, one at a
// time and in output order, while the search goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "cli/file_settings.h"
#include "cli/project_settings.h"
#include "front/input_kind.h"
#include "front/unique_fd.h"

namespace quorv::cli {

// A directory the search has open: the files found in it are opened
// relative to it, so no path grows too long to open and no stat is needed
// to learn what an entry is. Closed when the last of its inputs is done.
class OpenDirectory {
public:
    OpenDirectory(front::UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }

private:
    front::UniqueFd fd_;
    std::string path_;
};

// Why a pipe or a device that a search finds is left out: it could block,
// or never end.
inline constexpr std::string_view kNotRegularFile = "not a regular file";

struct Input {
    enum class What {
        File,     // lint the file: `directory` + name, or `opened` when named on the command line
        Stdin,    // lint standard input
        Failed,   // could not be searched or opened: `problem` says why (counts as a failure)
        Skipped,  // deliberately left out: `problem` says why (informational)
    };
    What what = What::File;
    std::string path;  // as the output shows it
    std::shared_ptr<const OpenDirectory> directory;
    std::size_t name_offset = 0;  // where the name within `directory` starts in `path`
    front::InputKind kind = front::InputKind::ClusterSpecJson;  // of a file, by its name
    front::UniqueFd opened;       // a file named on the command line, opened without blocking
    struct stat opened_info {};
    std::string problem;
    std::shared_ptr<const FileSettings> settings;  // what governs its linting
    // Lexical, for the configuration's per-file ignores; left empty for a
    // file a search found when its settings have none.
    std::string absolute_path;

    bool found_by_search() const { return directory != nullptr; }
    // Lets go of its open file and directory; what it says about itself stays.
    void close() {
        opened = front::UniqueFd();
        directory.reset();
    }

    // The name within `directory`: it ends the path, so it is a C string where it stands.
    const char* name() const { return path.c_str() + name_offset; }
};

// What a search left out on purpose, for the summary.
struct WalkCounts {
    std::uint64_t ignored = 0;   // by a .gitignore or .ignore file
    std::uint64_t excluded = 0;  // by exclude or extend-exclude
};

// Calls `found` once per input, in output order, as soon as it is known.
// Directories are searched depth-first in byte order of names for the files
// of cli/file_kinds.h (*.py, *.xyz, *.extxyz, *.json in any letter case),
// skipping hidden and virtualenv folders, what the ignore files and the
// exclude patterns in force leave out, and never entering a directory twice
// (symbolic-link loops included). Files and
// directories named on the command line keep their order and are opened
// whatever they are; a path named twice is linted once. A directory that
// cannot be opened, read or entered, or whose configuration is wrong, is an
// input that failed. Each input carries its settings from `project`.
// Standard input ("-") is shown as `stdin_name`.
WalkCounts walk_inputs(const std::vector<std::string>& paths, std::string_view stdin_name, ProjectSettings& project,
                       const std::function<void(Input&&)>& found);

}  // namespace quorv::cli
