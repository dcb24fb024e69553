// The XYZ reader: XYZ text in, a cluster or one error out.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "lib/cluster.h"

namespace quorv {

ReadResult parse_xyz(std::string_view text);

// The integer written after the first occurrence of `key` in `line`, if any.
std::optional<std::int64_t> extract_kv(std::string_view line, std::string_view key);

}  // namespace quorv
