// The rules engine: one cluster in, its findings out, errors first.
#pragma once

#include <vector>

#include "lib/cluster.h"
#include "lib/finding.h"

namespace quorv {

// Never fails: every problem it detects becomes a finding.
std::vector<Finding> lint(const ClusterSpec& spec);

}  // namespace quorv
