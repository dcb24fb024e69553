#include "spec_json/byte_cursor.h"

#include <algorithm>

#include "text/format.h"
#include "spec_json/json_messages.h"

namespace quorv::spec_json {

void ByteCursor::skip_white_space() {
    while (position_ < text_.size()) {
        char byte = text_[position_];
        if (byte != ' ' && byte != '\n' && byte != '\t' && byte != '\r') return;
        ++position_;
    }
}

bool ByteCursor::fail_at(std::size_t end, std::string_view message) {
    if (error_) return false;
    std::string_view before = text_.substr(0, std::min(end, text_.size()));
    std::size_t last_line_feed = before.rfind('\n');
    std::size_t line_start = last_line_feed == std::string_view::npos ? 0 : last_line_feed + 1;
    auto line = static_cast<std::uint64_t>(1 + std::count(before.begin(), before.end(), '\n'));
    auto column = static_cast<std::uint64_t>(before.size() - line_start);
    error_ = fill(kErrorAtPosition, {message, decimal(line), decimal(column)});
    return false;
}

}  // namespace quorv::spec_json
