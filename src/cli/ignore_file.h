// The ignore files of a search: .gitignore, .ignore and a repository's
// .git/info/exclude, read as git reads them, and the chain of those in force
// in a directory.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/path_pattern.h"

namespace quorv::cli {

// The patterns of one ignore file. Blank lines and lines starting with "#"
// are skipped; "\#" and "\!" start a pattern with that character; trailing
// spaces are dropped unless escaped with a backslash; "!" re-includes what
// an earlier pattern left out; a carriage return before the line feed and a
// byte-order mark at the start are dropped.
class IgnoreFile {
public:
    explicit IgnoreFile(std::string_view text);

    // Whether the last pattern that matches ignores the path (true) or
    // re-includes it (false); nothing when none matches.
    std::optional<bool> decide(std::string_view relative_path, bool is_directory) const;

    bool empty() const { return rules_.empty(); }

private:
    struct Rule {
        PathPattern pattern;
        bool negated;
    };
    std::vector<Rule> rules_;
};

// The ignore files in force in a directory of the search, the nearest
// first: a file deeper in the tree overrides those above it, as in git.
class IgnoreChain {
public:
    // `directory` is the absolute path of the directory the file belongs to.
    static std::shared_ptr<const IgnoreChain> extend(std::shared_ptr<const IgnoreChain> parent,
                                                     std::string directory, IgnoreFile file);

    // `absolute_path` is "/"-separated with no trailing "/".
    static bool ignores(const IgnoreChain* chain, std::string_view absolute_path, bool is_directory);

private:
    IgnoreChain(std::shared_ptr<const IgnoreChain> parent, std::string directory, IgnoreFile file)
        : parent_(std::move(parent)), directory_(std::move(directory)), file_(std::move(file)) {}

    std::shared_ptr<const IgnoreChain> parent_;
    std::string directory_;
    IgnoreFile file_;
};

// The part of `absolute_path` below `directory`, or nothing when it is not below it.
std::optional<std::string_view> path_below(std::string_view absolute_path, std::string_view directory);

}  // namespace quorv::cli
