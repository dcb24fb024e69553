// Any bytes through the XYZ reader, and every cluster it reads through the rules.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "lib/lint.h"
#include "xyz/xyz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const quorv::ReadResult result = quorv::parse_xyz(text);
    if (const auto* error = std::get_if<quorv::ReadError>(&result)) {
        if (error->message.empty()) __builtin_trap();  // a failure always says why
    } else if (const auto* spec = std::get_if<quorv::ClusterSpec>(&result)) {
        for (const quorv::Atom& atom : spec->atoms) {
            if (atom.element.empty()) __builtin_trap();  // an element is a whole token, never empty
        }
        // Keep the rules' quadratic geometry checks within a fuzzing budget.
        constexpr std::size_t kMostAtomsToLint = 2000;
        if (spec->atoms.size() <= kMostAtomsToLint) (void)quorv::lint(*spec);
    }
    // The key search over raw bytes, as if they were a comment line.
    (void)quorv::extract_kv(text, "charge=");
    return 0;
}
