#include "xyz/quoted_text.h"

#include "lib/quoted_text.h"

namespace quorv::xyz {

std::string quoted(std::string_view text) { return quoted_with_escapes(text, is_ascii_control); }

}  // namespace quorv::xyz
