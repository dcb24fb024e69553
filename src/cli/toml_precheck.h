// Bytes TOML allows nowhere, refused with their place before the TOML
// reader sees the text: a clear message, and less for the reader to get
// wrong.
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

// The first byte that is not UTF-8 or a control character other than tab,
// line feed and carriage return. Nothing when the text has none.
std::optional<TomlForbidden> find_text_toml_forbids(std::string_view text);

}  // namespace quorv::cli
