// Every finding code the command knows: its severity and its documentation page.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "lib/finding.h"

namespace quorv::cli {

struct CodeInfo {
    std::string_view code;
    Severity severity;  // each code always carries this one
};

// All codes, cluster rules first, then the source rules.
std::span<const CodeInfo> all_codes();

const CodeInfo* find_code(std::string_view code);

// The markdown page that documents the code, if there is one.
std::optional<std::string_view> code_page(std::string_view code);

// The one-line summary of a page: the first non-blank line after its title.
std::string_view page_summary(std::string_view page);

}  // namespace quorv::cli
