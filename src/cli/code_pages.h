// The codes of the rule catalog as the command shows them: found by name,
// with the documentation page compiled in for each.
#pragma once

#include <optional>
#include <string_view>

#include "lib/catalog.h"

namespace quorv::cli {

// The catalog entry of a code name, or null.
const CodeEntry* find_code(std::string_view name);

// The markdown page that documents the code, if there is one.
std::optional<std::string_view> code_page(std::string_view name);

// The one-line summary of a page: the first non-blank line after its title.
std::string_view page_summary(std::string_view page);

}  // namespace quorv::cli
