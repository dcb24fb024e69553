// The per-element tables the rules classify atoms by. Every lookup compares
// the whole symbol byte for byte, case-sensitively: "Fe" is iron, "FE", "fe",
// " Fe" and "Fe1" are unknown. Nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quorv {

// Everything the tables below say about one symbol. Zero means "not in that
// table": no atomic number, core count, closed-shell state or cutoff is zero.
struct ElementFacts {
    double bonding_cutoff = 0;
    std::uint8_t atomic_number = 0;
    std::uint8_t ecp_core_electrons = 0;
    std::uint8_t closed_shell_d10_state = 0;
    bool metal = false;
    bool hydrogen = false;

    std::optional<std::int64_t> known_atomic_number() const {
        return atomic_number == 0 ? std::nullopt : std::optional<std::int64_t>(atomic_number);
    }
    std::optional<std::int64_t> known_ecp_core_electrons() const {
        return ecp_core_electrons == 0 ? std::nullopt : std::optional<std::int64_t>(ecp_core_electrons);
    }
    std::optional<double> known_bonding_cutoff() const {
        return bonding_cutoff == 0 ? std::nullopt : std::optional<double>(bonding_cutoff);
    }
};

// The facts of every symbol, in its slot (lib/symbol_slot.h): a lookup is
// one read. A caller that asks about one atom several times keeps the slot.
std::span<const ElementFacts> element_facts_by_slot();
const ElementFacts& element_facts(std::string_view symbol);

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
