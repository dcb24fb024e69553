#include "lib/elements.h"

#include <algorithm>
#include <array>

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

template <typename Value, std::size_t Size>
std::optional<Value> find_value(const std::array<Entry<Value>, Size>& table, std::string_view symbol) {
    for (const auto& entry : table) {
        if (entry.symbol == symbol) return entry.value;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> atomic_number(std::string_view symbol) {
    return find_value(kAtomicNumbers, symbol);
}

std::optional<std::int64_t> ecp_core_electrons(std::string_view symbol) {
    return find_value(kEcpCoreElectrons, symbol);
}

bool is_metal(std::string_view symbol) {
    return std::find(kMetals.begin(), kMetals.end(), symbol) != kMetals.end();
}

std::optional<double> bonding_cutoff(std::string_view symbol) {
    return find_value(kBondingCutoffs, symbol);
}

bool is_closed_shell_d10(std::string_view symbol, std::int64_t oxidation_state) {
    auto closed_shell_state = find_value(kClosedShellD10States, symbol);
    return closed_shell_state.has_value() && *closed_shell_state == oxidation_state;
}

}  // namespace quorv
