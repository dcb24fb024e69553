#include "xyz/tokens.h"

#include "lib/white_space.h"

namespace quorv::xyz {

std::optional<std::string_view> TokenReader::next() {
    while (std::size_t blank = white_space_at(line_, position_)) position_ += blank;
    if (position_ >= line_.size()) return std::nullopt;
    const std::size_t begin = position_;
    // Step by whole characters, as trimming does, so that a line that trims to
    // something always has a token.
    while (position_ < line_.size() && white_space_at(line_, position_) == 0) {
        position_ += char_length_at(line_, position_);
    }
    return line_.substr(begin, position_ - begin);
}

}  // namespace quorv::xyz
