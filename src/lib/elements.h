// The per-element tables the rules classify atoms by. Every lookup compares
// the whole symbol byte for byte, case-sensitively: "Fe" is iron, "FE", "fe",
// " Fe" and "Fe1" are unknown. Nothing here allocates.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv {

// Atomic number of the elements the electron count knows; none for the rest.
std::optional<std::int64_t> atomic_number(std::string_view symbol);

// Core electrons replaced by an effective core potential; none when unknown.
std::optional<std::int64_t> ecp_core_electrons(std::string_view symbol);

// The metals whose coordination and spin state the rules check.
bool is_metal(std::string_view symbol);

// Distance (ångström) within which C, N, O, P and S must have a partner;
// none for every other symbol.
std::optional<double> bonding_cutoff(std::string_view symbol);

// Whether the cation of this metal at this oxidation state is closed-shell d10.
bool is_closed_shell_d10(std::string_view symbol, std::int64_t oxidation_state);

// The one symbol the unit scale rule treats as hydrogen (no D, no T).
inline constexpr std::string_view kHydrogen = "H";

}  // namespace quorv
