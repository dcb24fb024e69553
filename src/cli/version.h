#pragma once

#include <string_view>

namespace quorv::cli {

inline constexpr std::string_view kProgramName = "quorv-lint";
inline constexpr std::string_view kVersion = "0.2.0";

}  // namespace quorv::cli
