// A line shown inside an error message, quoted and with its control
// characters escaped so that the message stays on one readable line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorv::xyz {

// A message quotes at most this many characters of a line: a whole file
// saved with carriage returns alone is one line, and its message must stay
// short all the same.
inline constexpr std::size_t kMostQuotedCharacters = 200;

// The text between double quotes: backslash and double quote escaped with a
// backslash; tab, carriage return, line feed and NUL as \t, \r, \n, \0; other
// ASCII control characters and DEL as \u{hex}; everything else unchanged,
// non-ASCII characters included. A text longer than kMostQuotedCharacters
// is cut there, and "…" after the closing quote says so.
std::string quoted(std::string_view text);

}  // namespace quorv::xyz
