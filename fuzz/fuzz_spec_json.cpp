// Any bytes into the cluster-spec reader; whatever it accepts goes on to the
// rules engine. A crash, a sanitizer report or a hang is a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "lib/lint.h"
#include "spec_json/spec_json_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    quorv::ReadResult result = quorv::parse_spec_json(text);
    if (const auto* spec = std::get_if<quorv::ClusterSpec>(&result)) {
        volatile std::size_t findings = quorv::lint(*spec).size();
        (void)findings;
    } else if (std::get<quorv::ReadError>(result).message.empty()) {
        __builtin_trap();  // every failure carries a text
    }
    return 0;
}
