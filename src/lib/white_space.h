// Unicode White_Space in UTF-8 text: the one definition of "blank" that the
// XYZ reader and the source checker trim and split at.
#pragma once

#include <cstddef>
#include <string_view>

namespace quorv {

// Byte length of the White_Space character that starts at text[pos], or 0
// when none does (also at or past the end). U+FEFF is not white space.
std::size_t white_space_at(std::string_view text, std::size_t pos);

// Byte length of the character that starts at text[pos]: 1 to 4 for a valid
// UTF-8 lead byte, 1 for anything else, so a walk always moves forward.
std::size_t char_length_at(std::string_view text, std::size_t pos);

std::string_view trim_white_space(std::string_view text);

}  // namespace quorv
