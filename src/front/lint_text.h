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

// As lint_text for a JSON cluster spec, and each finding that names atoms
// carries the line on which the first of them starts in the text.
std::optional<std::string> lint_spec_json_with_lines(std::string_view text, FindingSink& sink,
                                                     RuleSet rules = RuleSet::Strict);

// "not a valid XYZ file: {}" with the reader's text: how a frame that does
// not read is worded, as lint_xyz words a text that does not.
std::string not_xyz_message(std::string_view reader_error);

}  // namespace quorv::front
