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

#include "cli/directory_listing.h"
#include "cli/file_settings.h"
#include "cli/project_settings.h"
#include "front/input_kind.h"
#include "front/unique_fd.h"

namespace quorv::cli {

// A directory the search has open, and its entries: the files found in it
// are opened relative to it, so no path grows too long to open and no stat
// is needed to learn what an entry is. Closed, and its listing let go, when
// the search and the last of its inputs are done with it.
class OpenDirectory {
public:
    OpenDirectory(front::UniqueFd fd, std::string path, DirectoryListing entries)
        : fd_(std::move(fd)), path_(std::move(path)), entries_(std::move(entries)) {}
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    const DirectoryListing& entries() const { return entries_; }

private:
    front::UniqueFd fd_;
    std::string path_;
    DirectoryListing entries_;
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
    // As the output shows it. A file a search found comes without it: its
    // name is enough to open it, and complete_path() joins the path on the
    // thread that lints it, which then also frees it.
    std::string path;
    std::shared_ptr<const OpenDirectory> directory;
    std::string_view found_name;  // a file a search found: its name, in `directory`'s listing
    front::InputKind kind = front::InputKind::ClusterSpecJson;  // of a file, by its name
    front::UniqueFd opened;       // a file named on the command line, opened without blocking
    struct stat opened_info {};
    std::string problem;
    std::shared_ptr<const FileSettings> settings;  // what governs its linting
    // Lexical, for the configuration's per-file ignores; left empty for a
    // file a search found when its settings have none.
    std::string absolute_path;

    bool found_by_search() const { return directory != nullptr; }
    // Lets go of its open file and directory (and the name in the
    // directory's listing); its path and what else it says of itself stay.
    void close() {
        opened = front::UniqueFd();
        directory.reset();
        found_name = {};
    }

    // The name to open within `directory`: the listing ends it with a NUL.
    const char* name() const { return found_name.data(); }
    // Before anything else is done with a file a search found.
    void complete_path();
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
