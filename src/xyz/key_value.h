// The integer written after a key such as "charge=" on a comment line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv::xyz {

// The integer that starts at line[pos], after any white space: a run of
// digits and signs that must read as one signed 64-bit integer.
std::optional<std::int64_t> integer_at(std::string_view line, std::size_t pos);

}  // namespace quorv::xyz
