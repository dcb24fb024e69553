// "# noqa" comments in Python source: which findings of a line they silence.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "lib/catalog.h"

namespace quorv::cli {

struct NoqaComment {
    bool every_code = false;                // "# noqa" with no code list
    std::bitset<kCatalog.size()> codes;     // the catalog codes of "# noqa: code-a, code-b"
    std::size_t start = 0;                  // where its "#" is in the line
};

// The first "# noqa" comment of the line, if it has one. The keyword may be in
// any letter case; codes are separated by commas and/or blanks. A list of
// codes none of which is ours (other linters' "E501") silences nothing here.
std::optional<NoqaComment> find_noqa(std::string_view line);

bool silences(const NoqaComment& comment, Code code);

// The words of the code list of the noqa comment at `comment.start` of the
// line that are no code of ours.
std::vector<std::string_view> unknown_noqa_codes(std::string_view line, const NoqaComment& comment);

// The noqa comments of a whole text, found in one pass, so that asking about
// the line of each of many findings costs a binary search, never a rescan.
class NoqaIndex {
public:
    explicit NoqaIndex(std::string_view text);

    // Whether the comment on 1-based line `line` silences `code`.
    bool silences(std::uint64_t line, Code code) const;

    struct Entry {
        std::uint64_t line;
        NoqaComment comment;
    };
    const std::vector<Entry>& entries() const { return entries_; }
    // The comment on 1-based line `line`, if it has one.
    const Entry* entry_at(std::uint64_t line) const;

private:
    std::vector<Entry> entries_;  // by line
};

}  // namespace quorv::cli
