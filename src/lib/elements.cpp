#include "lib/elements.h"

#include <array>
#include <cstddef>

#include "lib/symbol_slot.h"

namespace quorv {

namespace {

template <typename Value>
struct Entry {
    std::string_view symbol;
    Value value;
};

// Only the elements the rules need. Symbols outside a table are unknown to it,
// which the rules turn into an abstain warning or simply skip.
constexpr std::array<Entry<std::int64_t>, 29> kAtomicNumbers{{
    {"H", 1},   {"He", 2},  {"Li", 3},  {"B", 5},   {"C", 6},   {"N", 7},
    {"O", 8},   {"F", 9},   {"Na", 11}, {"Mg", 12}, {"Al", 13}, {"Si", 14},
    {"P", 15},  {"S", 16},  {"Cl", 17}, {"K", 19},  {"Ca", 20}, {"Fe", 26},
    {"Co", 27}, {"Ni", 28}, {"Cu", 29}, {"Zn", 30}, {"Br", 35}, {"Ag", 47},
    {"Cd", 48}, {"I", 53},  {"Au", 79}, {"Hg", 80}, {"Pb", 82},
}};

// Platinum's core is left out on purpose: platinum has no atomic number above,
// so the electron count abstains before it would ever consult this table.
constexpr std::array<Entry<std::int64_t>, 6> kEcpCoreElectrons{{
    {"I", 28}, {"Ag", 28}, {"Cd", 28}, {"Au", 60}, {"Hg", 60}, {"Pb", 60},
}};

constexpr std::array<std::string_view, 13> kMetals{
    "Fe", "Co", "Ni", "Cu", "Zn", "Ag", "Cd", "Au", "Hg", "Pb", "Pt", "Ir", "Mn",
};

// The oxidation state at which each metal's cation has a filled d shell.
constexpr std::array<Entry<std::int64_t>, 6> kClosedShellD10States{{
    {"Zn", 2}, {"Cd", 2}, {"Hg", 2}, {"Cu", 1}, {"Ag", 1}, {"Au", 1},
}};

constexpr double kFirstRowCutoff = 1.75;   // C, N, O
constexpr double kSecondRowCutoff = 1.95;  // P, S
constexpr std::array<Entry<double>, 5> kBondingCutoffs{{
    {"C", kFirstRowCutoff}, {"N", kFirstRowCutoff}, {"O", kFirstRowCutoff},
    {"P", kSecondRowCutoff}, {"S", kSecondRowCutoff},
}};

// These fail to compile if a symbol above had no slot of its own, or a
// value would not fit or would read as absent.
constexpr std::size_t slot_of(std::string_view symbol) {
    const std::size_t slot = symbol_slot(symbol);
    if (slot == kNoSymbolSlot) throw "every symbol of the tables has a slot";
    return slot;
}
constexpr std::uint8_t stored(std::int64_t value) {
    if (value <= 0 || value > 255) throw "stored values are 1 to 255";
    return static_cast<std::uint8_t>(value);
}

constexpr auto kBySlot = [] {
    std::array<ElementFacts, kSymbolSlots + 1> table{};
    for (const auto& [symbol, z] : kAtomicNumbers) table[slot_of(symbol)].atomic_number = stored(z);
    for (const auto& [symbol, core] : kEcpCoreElectrons) {
        table[slot_of(symbol)].ecp_core_electrons = stored(core);
    }
    for (const std::string_view symbol : kMetals) table[slot_of(symbol)].metal = true;
    for (const auto& [symbol, state] : kClosedShellD10States) {
        table[slot_of(symbol)].closed_shell_d10_state = stored(state);
    }
    for (const auto& [symbol, cutoff] : kBondingCutoffs) table[slot_of(symbol)].bonding_cutoff = cutoff;
    table[slot_of(kHydrogen)].hydrogen = true;
    return table;
}();

}  // namespace

std::span<const ElementFacts> element_facts_by_slot() { return kBySlot; }

const ElementFacts& element_facts(std::string_view symbol) { return kBySlot[symbol_slot(symbol)]; }

std::optional<std::int64_t> atomic_number(std::string_view symbol) {
    return element_facts(symbol).known_atomic_number();
}

std::optional<std::int64_t> ecp_core_electrons(std::string_view symbol) {
    return element_facts(symbol).known_ecp_core_electrons();
}

bool is_metal(std::string_view symbol) { return element_facts(symbol).metal; }

std::optional<double> bonding_cutoff(std::string_view symbol) { return element_facts(symbol).known_bonding_cutoff(); }

bool is_closed_shell_d10(std::string_view symbol, std::int64_t oxidation_state) {
    const std::uint8_t state = element_facts(symbol).closed_shell_d10_state;
    return state != 0 && state == oxidation_state;
}

}  // namespace quorv
