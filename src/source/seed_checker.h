// The conformer-seed checker: Python source text in, findings out.
#pragma once

#include <string_view>
#include <vector>

#include "lib/finding.h"

namespace quorv {

// Never fails; the findings come back sorted errors first.
std::vector<Finding> lint_python_source(std::string_view source);

}  // namespace quorv
