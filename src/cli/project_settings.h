// Finds the settings of each input as ruff does: the closest configuration
// file in the input's directory or above it (or in a directory the search
// enters), with the command line's options over it; or one file for all
// (--config); or none (--isolated). Also the ignore files above a searched
// directory, up to the root of its git repository.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <variant>

#include "cli/file_settings.h"
#include "cli/ignore_file.h"

namespace quorv::cli {

using SettingsOrError = std::variant<std::shared_ptr<const FileSettings>, std::string>;

class ProjectSettings {
public:
    // `current_directory` is absolute; relative paths and the command line's
    // patterns are taken against it.
    ProjectSettings(ConfigValues command_line, std::string current_directory);

    // --config PATH: its values for every input, its patterns relative to the
    // current directory. The error names what is wrong with it.
    std::optional<std::string> use_only(const std::string& path);
    // --isolated: no configuration file at all.
    void isolate();

    const std::string& current_directory() const { return current_directory_; }

    // For a path named on the command line, by the absolute directory it is
    // in (or is): the closest configuration upward.
    SettingsOrError for_directory(const std::string& absolute_directory);

    // For a directory the search enters, given how to tell whether it holds
    // an entry: its own configuration if it has one, else `inherited`.
    SettingsOrError for_searched(int directory_fd, std::string_view shown_path, const std::string& absolute_directory,
                                 const std::function<bool(std::string_view)>& holds,
                                 std::shared_ptr<const FileSettings> inherited);

private:
    // The configuration in one directory, if any.
    std::variant<std::optional<ConfigFile>, std::string> load_in(int directory_fd, std::string_view shown_directory,
                                                                 const std::string& absolute_directory,
                                                                 const std::function<bool(std::string_view)>& holds);
    std::string shown(const std::string& absolute_path) const;

    enum class Mode { Discover, Fixed, Isolated };
    const ConfigValues command_line_;
    const std::string current_directory_;
    Mode mode_ = Mode::Discover;
    std::shared_ptr<const FileSettings> fixed_;  // for Fixed and Isolated
    std::mutex mutex_;
    std::map<std::string, SettingsOrError, std::less<>> by_directory_;
};

// The ignore files that apply inside `absolute_directory` from above it: the
// repository's .git/info/exclude and the .gitignore and .ignore files of
// every directory from the repository's root down to the directory's
// parent. None outside a git repository.
std::shared_ptr<const IgnoreChain> ignore_files_above(const std::string& absolute_directory);

// Adds the ignore files that a directory holds (.gitignore, then .ignore,
// which wins) to the chain in force above it.
std::shared_ptr<const IgnoreChain> with_ignore_files_of(int directory_fd, const std::string& absolute_directory,
                                                        const std::function<bool(std::string_view)>& holds,
                                                        std::shared_ptr<const IgnoreChain> above);

}  // namespace quorv::cli
