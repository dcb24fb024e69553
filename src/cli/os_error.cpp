#include "cli/os_error.h"

#include <cstdint>
#include <cstring>

#include "lib/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kOsError = "{} (os error {})";

// The GNU strerror_r returns its text (which may not be the buffer); the XSI
// one fills the buffer and returns a status. Overloads pick the right reading.
[[maybe_unused]] const char* strerror_text(char* result, const char*) { return result; }
[[maybe_unused]] const char* strerror_text(int status, const char* buffer) {
    return status == 0 ? buffer : "Unknown error";
}

}  // namespace

std::string os_error_description(int error_number) {
    char buffer[256] = {};
    const char* text = strerror_text(strerror_r(error_number, buffer, sizeof buffer), buffer);
    return fill(kOsError, {text, decimal(std::int64_t{error_number})});
}

}  // namespace quorv::cli
