// The cluster-spec JSON reader: strict JSON text in, a cluster or one error out.
#pragma once

#include <string_view>

#include "lib/cluster.h"

namespace quorv {

// On failure the error text ends in " at line L column C".
ReadResult parse_spec_json(std::string_view text);

}  // namespace quorv
