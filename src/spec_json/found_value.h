// "What was found": reading a value of the wrong type to name it in the
// error, and writing found values the way messages show them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "spec_json/byte_cursor.h"
#include "spec_json/number_lexer.h"

namespace quorv::spec_json {

// Fails with "invalid type: <found>, expected <wanted>" for the value whose
// first byte is next. Scalars are read to their end first, so a malformed
// one gets its syntax error instead; an array or object is not entered.
// Always returns false.
bool fail_with_invalid_type(ByteCursor& cursor, std::string_view wanted);

std::string describe_number(const JsonNumber& number);

// The decoded text between double quotes, with quotes, backslashes and
// unprintable characters escaped.
std::string quoted_for_message(std::string_view text);

}  // namespace quorv::spec_json
