// Element symbols by atomic number, for the Z column of extended XYZ.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv::xyz {

// The symbol of elements 1 (H) to 118 (Og); none for any other number.
std::optional<std::string_view> symbol_of_atomic_number(std::int64_t number);

}  // namespace quorv::xyz
