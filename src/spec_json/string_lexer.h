// JSON strings: escapes, UTF-16 surrogate pairs and raw UTF-8.
#pragma once

#include <string>

#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

// Reads a string whose opening quote has been consumed, through its closing
// quote, and leaves the decoded UTF-8 text in `decoded` (cleared first).
// The decoded text is always valid UTF-8.
bool read_string_rest(ByteCursor& cursor, std::string& decoded);

}  // namespace quorv::spec_json
