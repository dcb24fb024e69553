// The conformer-seed checker: Python source text in, findings out.
#pragma once

#include <string_view>
#include <vector>

#include "lib/lint.h"

namespace quorv {

// Reports every call of EmbedMolecule / EmbedMultipleConfs whose seed is not
// fixed, errors first. Never fails.
void lint_python_source(std::string_view source, FindingSink& sink);
std::vector<Finding> lint_python_source(std::string_view source);

}  // namespace quorv
