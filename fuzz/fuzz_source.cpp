// Any bytes into the conformer-seed checker: it must never crash or read out
// of bounds, and every finding must carry a source code of the catalog and
// point at a line that exists, the line its message leads with.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "source/seed_checker.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    const auto findings = quorv::lint_python_source(source);
    const std::size_t lines = 1 + static_cast<std::size_t>(std::count(source.begin(), source.end(), '\n'));
    bool warnings_started = false;
    for (const quorv::Finding& finding : findings) {
        const bool is_warning = finding.severity() == quorv::Severity::Warning;
        require(quorv::catalog_entry(finding.code()).input == quorv::RuleInput::Source);
        require(!warnings_started || is_warning);  // errors first
        warnings_started = is_warning;
        const auto line = finding.location().line();
        require(line && *line >= 1 && *line <= lines);
        // The message leads with the line its location carries.
        const std::string lead = "line " + std::to_string(*line) + ": ";
        require(finding.message() == lead + finding.message_parts().text_after_lead());
    }
    return 0;
}
