// Splitting XYZ text into lines, one forward step at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quorv::xyz {

// Hands out the lines of a text in order, as views into it. A line ends at a
// line feed, which is not part of it; a carriage return just before that line
// feed is dropped too, while one anywhere else stays in its line. A final line
// feed opens no further line, so an empty text has no lines.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // Inline: it runs once per line of the text.
    std::optional<std::string_view> next() {
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

    // Bytes not yet handed out; an upper bound on what later lines can hold.
    std::size_t remaining_bytes() const { return text_.size() - position_; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace quorv::xyz
