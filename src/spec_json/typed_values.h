// Values read with a type rule: a string, a coordinate, an optional integer
// with its range. Each skips the blanks before its value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

// A string; anything else is a type error naming `wanted`.
bool read_string_value(ByteCursor& cursor, std::string_view wanted, std::string& value);

// Any JSON number, integers taken to the nearest double.
bool read_f64(ByteCursor& cursor, double& value);

// null, or an integer written without fraction or exponent in the signed
// 64-bit range.
bool read_optional_i64(ByteCursor& cursor, std::optional<std::int64_t>& value);

// null, or an integer written without fraction or exponent from 0 to
// 4294967295.
bool read_optional_u32(ByteCursor& cursor, std::optional<std::uint32_t>& value);

}  // namespace quorv::spec_json
