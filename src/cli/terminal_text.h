// Text from inputs (paths, element symbols, quoted lines) made safe to show
// on a terminal or in a log: one finding stays one line, and nothing a file
// holds can move the cursor, change colours, retitle the terminal or turn
// the text around.
#pragma once

#include <string>
#include <string_view>

namespace quorv::cli {

// Appends `text` with every character that is not printable shown as an
// escape: tab, line feed, carriage return and NUL as \t, \n, \r, \0; other
// control characters (C0, DEL, C1), the line and paragraph separators and
// the bidirectional formatting characters as \u{hex}; a byte that is not
// part of well-formed UTF-8 as \xhh. Everything else, backslashes included,
// is written as it is.
void append_printable(std::string& out, std::string_view text);

std::string printable(std::string_view text);

}  // namespace quorv::cli
