// Reading past a value nobody asked for (the value of an unlisted key).
#pragma once

#include <string>

#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

// Checks and consumes one value of any type and any nesting depth. It
// keeps the open arrays and objects on a stack of its own instead of
// recursing, so that deep input cannot exhaust the call stack. `scratch`
// receives decoded strings, which are dropped.
bool skip_value(ByteCursor& cursor, std::string& scratch);

}  // namespace quorv::spec_json
