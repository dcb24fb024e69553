#include "xyz/quoted_text.h"

#include "text/escaping.h"

namespace quorv::xyz {

std::string quoted(std::string_view text) { return quoted_with_escapes(text, is_ascii_control); }

}  // namespace quorv::xyz
