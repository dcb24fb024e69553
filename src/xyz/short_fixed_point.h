// The usual shape of a coordinate, read without a loop over its bytes.
#pragma once

#include <string_view>

namespace quorv::xyz {

// Reads an unsigned decimal of 8 to 16 bytes with a point among its first
// eight and at most eight digits after it ("51.212307", "0.50000000"):
// stores the nearest double and returns true. Returns false, storing
// nothing, for any other text, which then needs the general grammar. The
// value is the one the general reading gives, bit for bit.
bool read_short_fixed_point(std::string_view body, double& magnitude);

}  // namespace quorv::xyz
