// Every element, for the preview rules: its atomic number, covalent radius,
// def2 ECP core and the classes the rules sort atoms into. Symbols match as
// in the strict tables, byte for byte and case-sensitively. The records are
// generated from maintained data packages (scripts/gen_element_tables.py).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv {

inline constexpr int kElementCount = 118;

struct ElementRecord {
    std::string_view symbol;
    double covalent_radius;       // ångström
    std::uint8_t def2_ecp_core;   // core electrons the def2 ECP replaces; 0 when it has none
};

// 1..118, or 0 when the symbol is no element's. Constant time: it runs once per atom.
int element_number(std::string_view symbol);

// The record of an atomic number 1..118.
const ElementRecord& element_record(int atomic_number);

// Which packages, at which versions, the records were generated from.
std::string_view element_table_sources();

// The d- and f-block metals and the metals of the p block (Al, Ga, In, Sn,
// Tl, Pb, Bi, Po and the superheavy ones), whose coordination the preview
// metal rules check. The alkali and alkaline-earth metals are not among
// them: their bonds are ionic and often long.
constexpr bool is_transition_or_post_transition_metal(int z) {
    const bool d_or_f_block = (z >= 21 && z <= 30) || (z >= 39 && z <= 48) || (z >= 57 && z <= 80) ||
                              (z >= 89 && z <= 112);
    const bool p_block_metal = z == 13 || z == 31 || z == 49 || z == 50 || (z >= 81 && z <= 84) ||
                               (z >= 113 && z <= 116);
    return d_or_f_block || p_block_metal;
}

// The metals of the sixth and seventh periods, whose bonds reach further.
constexpr bool is_heavy_metal(int z) { return z >= 55 && is_transition_or_post_transition_metal(z); }

// The non-metals and metalloids that are never found alone in a molecule:
// B, C, N, O, F, Si, P, S, Cl, Ge, As, Se, Br, Sb, Te, I, At, Ts. Hydrogen
// and the noble gases are left out.
constexpr bool is_bonding_non_metal(int z) {
    switch (z) {
        case 5: case 6: case 7: case 8: case 9: case 14: case 15: case 16: case 17:
        case 32: case 33: case 34: case 35: case 51: case 52: case 53: case 85: case 117: return true;
        default: return false;
    }
}

constexpr bool is_halogen(int z) { return z == 9 || z == 17 || z == 35 || z == 53 || z == 85 || z == 117; }

// The lookups of the electron-count and metal spin rules, over every element.
std::optional<std::int64_t> atomic_number_of_any_element(std::string_view symbol);
// None where the def2 ECPs treat the element with all its electrons.
std::optional<std::int64_t> def2_ecp_core_electrons(std::string_view symbol);
bool is_transition_or_post_transition_metal(std::string_view symbol);

}  // namespace quorv
