// Any bytes as a path pattern (the first line) and a path (the rest) through
// the matcher of ignore files, exclude lists and per-file-ignores. Where the
// grammar is the C library's (no "**", no classes), the answer must be
// fnmatch's with FNM_PATHNAME; everywhere, anchoring rules must hold:
// "/P" matches what an anchored P matches, and "**/P" matches it below any
// directories too. libFuzzer's time limit catches a match that backtracks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fnmatch.h>
#include <string>
#include <string_view>

#include "cli/path_pattern.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool ends_with_lone_backslash(std::string_view text) {
    std::size_t count = 0;
    while (count < text.size() && text[text.size() - 1 - count] == '\\') ++count;
    return count % 2 == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t feed = input.find('\n');
    const std::string_view pattern = input.substr(0, feed);
    std::string path(feed == std::string_view::npos ? std::string_view() : input.substr(feed + 1));
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    while (!path.empty() && path.back() == '/') path.pop_back();
    if (pattern.find('\0') != std::string_view::npos || path.find('\0') != std::string::npos) return 0;

    const quorv::cli::PathPattern compiled(pattern);
    const bool as_file = compiled.matches(path, false);
    const bool as_directory = compiled.matches(path, true);
    require(as_directory || !as_file);  // a directory is matched by all that match a file

    const bool plain = !pattern.empty() && pattern.front() != '/' && pattern.back() != '/' &&
                       pattern.find("**") == std::string_view::npos && pattern.find('[') == std::string_view::npos &&
                       !ends_with_lone_backslash(pattern);
    if (plain) {
        const std::string anchored = "/" + std::string(pattern);
        const bool expected = ::fnmatch(std::string(pattern).c_str(), path.c_str(), FNM_PATHNAME) == 0;
        require(quorv::cli::PathPattern(anchored).matches(path, false) == expected);
    }
    if (!pattern.empty() && pattern.front() != '/' && pattern.find('/') < pattern.size() - 1) {
        // Already anchored: a leading "/" changes nothing, and "**/" lets it match deeper.
        const std::string text(pattern);
        require(quorv::cli::PathPattern("/" + text).matches(path, false) == as_file);
        if (as_file) require(quorv::cli::PathPattern("**/" + text).matches("x/y/" + path, false));
    }
    return 0;
}
