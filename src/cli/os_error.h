// The description of an operating-system error, in the same frame as the
// module's read failures: "No such file or directory (os error 2)".
#pragma once

#include <string>

namespace quorv::cli {

std::string os_error_description(int error_number);

}  // namespace quorv::cli
