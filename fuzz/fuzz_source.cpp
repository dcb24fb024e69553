// Any bytes into the conformer-seed checker: it must never crash or read out
// of bounds, and every finding must be one of its two kinds and name a line
// that exists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "source/seed_checker.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

std::size_t line_number_of(std::string_view message) {
    constexpr std::string_view kPrefix = "line ";
    require(message.substr(0, kPrefix.size()) == kPrefix);
    std::size_t number = 0;
    std::size_t pos = kPrefix.size();
    for (; pos < message.size() && message[pos] >= '0' && message[pos] <= '9'; ++pos) {
        number = number * 10 + static_cast<std::size_t>(message[pos] - '0');
    }
    require(pos > kPrefix.size() && message[pos] == ':');
    return number;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    const auto findings = quorv::lint_python_source(source);
    const std::size_t lines = 1 + static_cast<std::size_t>(std::count(source.begin(), source.end(), '\n'));
    bool warnings_started = false;
    for (const quorv::Finding& finding : findings) {
        const bool is_warning = finding.severity == quorv::Severity::Warning;
        require(finding.code == (is_warning ? quorv::codes::kConformerExplicitRandom : quorv::codes::kConformerNoSeed));
        require(!warnings_started || is_warning);  // errors first
        warnings_started = is_warning;
        const std::size_t line = line_number_of(finding.message);
        require(line >= 1 && line <= lines);
    }
    return 0;
}
