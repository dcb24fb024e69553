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

    std::optional<std::string_view> next();

    // Bytes not yet handed out; an upper bound on what later lines can hold.
    std::size_t remaining_bytes() const { return text_.size() - position_; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace quorv::xyz
