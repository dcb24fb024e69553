// A line shown inside an error message, quoted and with its control
// characters escaped so that the message stays on one readable line.
#pragma once

#include <string>
#include <string_view>

namespace quorv::xyz {

// The text between double quotes: backslash and double quote escaped with a
// backslash; tab, carriage return, line feed and NUL as \t, \r, \n, \0; other
// ASCII control characters and DEL as \u{hex}; everything else unchanged,
// non-ASCII characters included.
std::string quoted(std::string_view text);

}  // namespace quorv::xyz
