#include "xyz/xyz_reader.h"

namespace quorv {

// Placeholder until the reader lands.
ReadResult parse_xyz(std::string_view) { return ReadError{"reader not built yet"}; }
std::optional<std::int64_t> extract_kv(std::string_view, std::string_view) { return std::nullopt; }

}  // namespace quorv
