// What the module and the command both do with an input's text: choose the
// reader by kind, lint what it reads, and word a reader's failure the way
// the module's ValueError does.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "front/input_kind.h"
#include "lib/lint.h"

namespace quorv::front {

// Lints the text as the given kind, handing the findings to the sink in
// their final order. When the reader rejects the text, nothing is linted
// and the failure comes back: "not a valid XYZ file: {}" or "not a valid
// cluster spec: {}" with the reader's own text. Python source never fails.
// The rule set judges clusters only; Python source is checked alike by both.
std::optional<std::string> lint_text(InputKind kind, std::string_view text, FindingSink& sink,
                                     RuleSet rules = RuleSet::Strict);

}  // namespace quorv::front
