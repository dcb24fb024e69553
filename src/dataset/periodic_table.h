// Element symbols by atomic number, for frames that store numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv::dataset {

// The largest atomic number with a symbol.
inline constexpr std::int64_t kLastAtomicNumber = 118;

// The symbol of atomic number `z`; 0 is "X", the placeholder atom that ASE
// writes for a ghost or dummy site. None outside 0..118.
std::optional<std::string_view> symbol_of(std::int64_t z);

}  // namespace quorv::dataset
