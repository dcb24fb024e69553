// "# noqa" comments in Python source: which findings of a line they silence.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorv::cli {

struct NoqaComment {
    bool every_code = false;         // "# noqa" with no code list
    std::vector<std::string> codes;  // "# noqa: code-a, code-b"
};

// The first "# noqa" comment of the line, if it has one. The keyword may be in
// any letter case; codes are separated by commas and/or blanks.
std::optional<NoqaComment> find_noqa(std::string_view line);

bool silences(const NoqaComment& comment, std::string_view code);

}  // namespace quorv::cli
