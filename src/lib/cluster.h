// The records every reader produces and every rule reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quorv {

struct Atom {
    std::string element;  // as the reader delivered it; the core never trims or re-cases it
    double x = 0.0;       // ångström
    double y = 0.0;
    double z = 0.0;
};

struct ClusterSpec {
    std::vector<Atom> atoms;  // input order; the position is the index messages print
    std::optional<std::int64_t> charge;
    std::optional<std::uint32_t> spin_multiplicity;
    std::vector<std::string> ecp_elements;  // may repeat, may name absent elements
    std::optional<std::int64_t> metal_oxidation_state;
};

// A reader's failure: one English text, which the front ends only prefix.
struct ReadError {
    std::string message;
};

// What a reader returns: the whole cluster, or the one error that stopped it.
using ReadResult = std::variant<ClusterSpec, ReadError>;

}  // namespace quorv
