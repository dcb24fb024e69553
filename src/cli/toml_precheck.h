// What a configuration file may not hand the TOML reader. toml++ 3.3 asks
// its whitespace test about any character it meets between values, and
// that test reaches a point its code declares unreachable for many
// non-ASCII characters ("é = 1" is enough). TOML allows non-ASCII text only
// inside strings and comments, so such text elsewhere is refused here
// first, with its place, as are bytes TOML allows nowhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorv::cli {

struct TomlForbidden {
    std::uint64_t line;    // from 1
    std::uint64_t column;  // in characters, from 1
    std::string description;
};

// The first of: a byte that is not UTF-8; a control character other than
// tab, line feed and carriage return; a non-ASCII character outside a
// string or a comment. Nothing when the text has none.
std::optional<TomlForbidden> find_text_toml_forbids(std::string_view text);

}  // namespace quorv::cli
