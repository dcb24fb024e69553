// ASCII character classes and letter case: the readers' grammars are ASCII
// even where their texts are not.
#pragma once

#include <string_view>

namespace quorv {

constexpr bool is_ascii_digit(int c) { return c >= '0' && c <= '9'; }
constexpr bool is_ascii_upper(int c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_ascii_lower(int c) { return c >= 'a' && c <= 'z'; }
constexpr bool is_ascii_letter(int c) { return is_ascii_upper(c) || is_ascii_lower(c); }

constexpr char ascii_lower(char c) { return is_ascii_upper(c) ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char ascii_upper(char c) { return is_ascii_lower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether `text` equals `lower_word` (all lower case) with ASCII letters compared without case.
constexpr bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower_word) {
    if (text.size() != lower_word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (ascii_lower(text[i]) != lower_word[i]) return false;
    }
    return true;
}

}  // namespace quorv
