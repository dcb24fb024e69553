// The line of a position in a text, for positions that only move forward:
// each call counts the line feeds since the previous one, so a whole pass
// costs one look at each byte.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quorv::spec_json {

class LineCounter {
public:
    explicit LineCounter(std::string_view text) : text_(text) {}

    // 1 plus the line feeds before `position`; `position` must not be
    // smaller than in the previous call.
    std::uint64_t line_at(std::size_t position) {
        const char* from = text_.data() + counted_to_;
        const char* to = text_.data() + std::min(position, text_.size());
        // memchr skips a stretch without line feeds many bytes at a time.
        while (from != to) {
            const void* line_feed = std::memchr(from, '\n', static_cast<std::size_t>(to - from));
            if (line_feed == nullptr) break;
            ++line_;
            from = static_cast<const char*>(line_feed) + 1;
        }
        counted_to_ = static_cast<std::size_t>(to - text_.data());
        return line_;
    }

private:
    std::string_view text_;
    std::size_t counted_to_ = 0;
    std::uint64_t line_ = 1;
};

}  // namespace quorv::spec_json
