#include "cli/structure_noqa.h"

#include <algorithm>
#include <string_view>

namespace quorv::cli {

std::optional<StructureNoqa> take_comment_noqa(std::span<char> frame_text, std::uint64_t first_line) {
    const std::string_view text(frame_text.data(), frame_text.size());
    const std::size_t count_line_end = text.find('\n');
    if (count_line_end == std::string_view::npos) return std::nullopt;
    const std::size_t comment_begin = count_line_end + 1;
    std::size_t comment_end = std::min(text.find('\n', comment_begin), text.size());
    // A carriage return stays: it ends the line as it did.
    if (comment_end > comment_begin && text[comment_end - 1] == '\r') --comment_end;
    const std::string_view comment = text.substr(comment_begin, comment_end - comment_begin);

    auto found = find_noqa(comment);
    if (!found) return std::nullopt;
    StructureNoqa noqa{*found, {}, first_line + 1, std::nullopt};
    for (std::string_view unknown : unknown_noqa_codes(comment, *found)) noqa.unknown_codes.emplace_back(unknown);
    std::fill(frame_text.begin() + static_cast<std::ptrdiff_t>(comment_begin + found->start),
              frame_text.begin() + static_cast<std::ptrdiff_t>(comment_end), ' ');
    return noqa;
}

}  // namespace quorv::cli
