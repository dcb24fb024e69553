#include "xyz/text_lines.h"

namespace quorv::xyz {

std::optional<std::string_view> LineReader::next() {
    if (position_ >= text_.size()) return std::nullopt;
    const std::size_t line_feed = text_.find('\n', position_);
    if (line_feed == std::string_view::npos) {
        // The last line has no line feed, so a carriage return at its end stays.
        std::string_view line = text_.substr(position_);
        position_ = text_.size();
        return line;
    }
    std::string_view line = text_.substr(position_, line_feed - position_);
    position_ = line_feed + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace quorv::xyz
