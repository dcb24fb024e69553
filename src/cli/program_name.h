#pragma once

#include <string_view>

namespace quorv::cli {

inline constexpr std::string_view kProgramName = "quorv-lint";

}  // namespace quorv::cli
