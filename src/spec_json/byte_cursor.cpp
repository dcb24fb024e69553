#include "spec_json/byte_cursor.h"

#include <algorithm>

#include "text/format.h"
#include "text/utf8.h"
#include "spec_json/json_messages.h"

namespace quorv::spec_json {

void ByteCursor::skip_white_space() {
    while (position_ < text_.size()) {
        char byte = text_[position_];
        if (byte != ' ' && byte != '\n' && byte != '\t' && byte != '\r') return;
        ++position_;
    }
}

bool ByteCursor::fail_at_end(std::string_view message) {
    if (text_.empty()) return fail_at_line_column(1, 0, message);
    // A text that ends in a line feed ends at the start of the line after it.
    if (text_.back() == '\n') {
        const auto line_feeds = static_cast<std::uint64_t>(std::count(text_.begin(), text_.end(), '\n'));
        return fail_at_line_column(line_feeds + 1, 0, message);
    }
    return fail_at_character(text_.size() - 1, message);
}

bool ByteCursor::fail_at_character(std::size_t pos, std::string_view message) {
    // A byte inside a character counts from the character's first byte; a
    // byte that belongs to no well-formed character is a character itself.
    constexpr std::size_t kLongestCharacter = 4;
    for (std::size_t back = 1; back < kLongestCharacter && back <= pos; ++back) {
        const Utf8Char c = decode_utf8_at(text_, pos - back);
        if (c.well_formed && c.length > back) {
            pos -= back;
            break;
        }
    }
    const std::string_view before = text_.substr(0, pos);
    const std::size_t last_line_feed = before.rfind('\n');
    const std::size_t line_start = last_line_feed == std::string_view::npos ? 0 : last_line_feed + 1;
    const auto line = static_cast<std::uint64_t>(1 + std::count(before.begin(), before.end(), '\n'));
    return fail_at_line_column(line, pos - line_start + 1, message);
}

bool ByteCursor::fail_at_line_column(std::uint64_t line, std::uint64_t column, std::string_view message) {
    if (error_) return false;
    error_ = fill(kErrorAtPosition, {message, decimal(line), decimal(column)});
    return false;
}

}  // namespace quorv::spec_json
