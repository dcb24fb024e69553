// What a frame from a data set brings besides its atoms, and how it enters
// the cluster the rules read.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace quorv::dataset {

// A multiplicity is kept as the XYZ reader keeps one written after a key:
// only when it fits 0..4294967295, else it is absent.
inline std::optional<std::uint32_t> multiplicity_as_read(std::optional<std::int64_t> value) {
    if (!value || *value < 0 || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

}  // namespace quorv::dataset
