// Any bytes into the cluster-spec reader; whatever it accepts goes on to the
// rules engine. A crash, a sanitizer report or a hang is a fault, and so is
// any difference between reading atoms through the fast path for their
// usual shape and reading them with the general reader alone: the same
// cluster bit for bit, the same atom starts, or the same error text.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "lib/lint.h"
#include "spec_json/spec_json_reader.h"

namespace {

bool same_double(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

bool same_cluster(const quorv::ClusterSpec& a, const quorv::ClusterSpec& b) {
    if (a.atoms.size() != b.atoms.size()) return false;
    for (std::size_t i = 0; i < a.atoms.size(); ++i) {
        const quorv::Atom& p = a.atoms[i];
        const quorv::Atom& q = b.atoms[i];
        if (p.element != q.element || !same_double(p.x, q.x) || !same_double(p.y, q.y) || !same_double(p.z, q.z)) {
            return false;
        }
    }
    return a.charge == b.charge && a.spin_multiplicity == b.spin_multiplicity && a.ecp_elements == b.ecp_elements &&
           a.metal_oxidation_state == b.metal_oxidation_state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quorv::spec_json::AtomPath;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    quorv::AtomStarts starts;
    quorv::ReadResult result = quorv::spec_json::parse_spec_json_by(text, AtomPath::UsualShapeFirst, &starts);
    quorv::AtomStarts general_starts;
    quorv::ReadResult general = quorv::spec_json::parse_spec_json_by(text, AtomPath::GeneralOnly, &general_starts);
    if (starts != general_starts || result.index() != general.index()) __builtin_trap();
    if (const auto* spec = std::get_if<quorv::ClusterSpec>(&result)) {
        if (!same_cluster(*spec, std::get<quorv::ClusterSpec>(general)) || starts.size() != spec->atoms.size()) {
            __builtin_trap();
        }
        volatile std::size_t findings = quorv::lint(*spec).size();
        (void)findings;
    } else {
        const std::string& message = std::get<quorv::ReadError>(result).message;
        if (message.empty() || message != std::get<quorv::ReadError>(general).message) __builtin_trap();
    }
    return 0;
}
