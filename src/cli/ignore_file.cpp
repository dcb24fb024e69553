#include "cli/ignore_file.h"

#include <utility>

namespace quorv::cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Drops trailing spaces, except one that a backslash escapes.
std::string_view trim_trailing_spaces(std::string_view line) {
    std::size_t kept = line.size();
    std::optional<std::size_t> first_trailing_space;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ') {
            if (!first_trailing_space) first_trailing_space = i;
        } else {
            // An escaped character is never trailing space, even when it is a space.
            if (line[i] == '\\' && ++i == line.size()) return line;
            first_trailing_space.reset();
        }
    }
    if (first_trailing_space) kept = *first_trailing_space;
    return line.substr(0, kept);
}

}  // namespace

IgnoreFile::IgnoreFile(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        line = trim_trailing_spaces(line);
        const bool negated = line.starts_with('!');
        if (negated) line.remove_prefix(1);
        // "\#" and "\!" stand for themselves; the pattern reads the escape.
        if (line.empty() || line == "/") continue;
        rules_.push_back({PathPattern(line), negated});
    }
}

std::optional<bool> IgnoreFile::decide(std::string_view relative_path, bool is_directory) const {
    for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
        if (rule->pattern.matches(relative_path, is_directory)) return !rule->negated;
    }
    return std::nullopt;
}

std::shared_ptr<const IgnoreChain> IgnoreChain::extend(std::shared_ptr<const IgnoreChain> parent,
                                                       std::string directory, IgnoreFile file) {
    if (file.empty()) return parent;
    return std::shared_ptr<const IgnoreChain>(new IgnoreChain(std::move(parent), std::move(directory), std::move(file)));
}

bool IgnoreChain::ignores(const IgnoreChain* chain, std::string_view absolute_path, bool is_directory) {
    for (; chain != nullptr; chain = chain->parent_.get()) {
        const auto relative = path_below(absolute_path, chain->directory_);
        if (!relative) continue;
        if (const auto decision = chain->file_.decide(*relative, is_directory)) return *decision;
    }
    return false;
}

std::optional<std::string_view> path_below(std::string_view absolute_path, std::string_view directory) {
    if (directory == "/") {
        if (!absolute_path.starts_with('/') || absolute_path.size() == 1) return std::nullopt;
        return absolute_path.substr(1);
    }
    if (!absolute_path.starts_with(directory) || absolute_path.size() <= directory.size() + 1 ||
        absolute_path[directory.size()] != '/') {
        return std::nullopt;
    }
    return absolute_path.substr(directory.size() + 1);
}

}  // namespace quorv::cli
