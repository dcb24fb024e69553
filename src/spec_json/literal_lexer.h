// The three JSON words: null, true and false.
#pragma once

#include <string_view>

#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

inline constexpr std::string_view kNullWord = "null";
inline constexpr std::string_view kTrueWord = "true";
inline constexpr std::string_view kFalseWord = "false";

// Reads `word`, whose first letter is the cursor's next byte (already
// checked by the caller). A misspelling fails at the first wrong letter.
bool read_literal(ByteCursor& cursor, std::string_view word);

}  // namespace quorv::spec_json
