// The element lookups: exact, case-sensitive, whole-text matches.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "check.h"
#include "lib/elements.h"

using namespace quorv;

namespace {
// optional -> text, so that a missing entry shows up readably in a failure.
template <typename Value>
std::string shown(const std::optional<Value>& value) {
    return value ? std::to_string(*value) : std::string("none");
}
}  // namespace

TEST(atomic_numbers_of_the_table) {
    const std::pair<const char*, int> known[] = {
        {"H", 1},   {"He", 2},  {"Li", 3},  {"B", 5},   {"C", 6},   {"N", 7},   {"O", 8},   {"F", 9},
        {"Na", 11}, {"Mg", 12}, {"Al", 13}, {"Si", 14}, {"P", 15},  {"S", 16},  {"Cl", 17}, {"K", 19},
        {"Ca", 20}, {"Fe", 26}, {"Co", 27}, {"Ni", 28}, {"Cu", 29}, {"Zn", 30}, {"Br", 35}, {"Ag", 47},
        {"Cd", 48}, {"I", 53},  {"Au", 79}, {"Hg", 80}, {"Pb", 82},
    };
    for (const auto& [symbol, z] : known) CHECK_EQ(shown(atomic_number(symbol)), std::to_string(z));
    for (const char* unknown : {"In", "CO", "co", "Be", "Ne", "Ar", "Mn", "Ir", "Pt", "D", "", " H", "H ", "Fe1",
                                "FE", "fe", "h"}) {
        CHECK_EQ(shown(atomic_number(unknown)), std::string("none"));
    }
    // A symbol with an embedded NUL is not its prefix.
    CHECK_EQ(shown(atomic_number(std::string_view("H\0", 2))), std::string("none"));
    // No other text of one or two characters has one: letters of either
    // case, their neighbours in ASCII, a blank, NUL and non-ASCII bytes.
    std::string characters = "@[`{ \x80\xc3\xff";
    characters.push_back('\0');
    for (char letter = 'A'; letter <= 'Z'; ++letter) characters += {letter, static_cast<char>(letter - 'A' + 'a')};
    std::size_t numbered = 0;
    for (const char first : characters) {
        for (int second = -1; second < static_cast<int>(characters.size()); ++second) {
            const std::string symbol = second < 0 ? std::string(1, first) : std::string{first, characters[second]};
            if (!atomic_number(symbol)) continue;
            ++numbered;
            const bool listed = std::any_of(std::begin(known), std::end(known),
                                            [&](const auto& entry) { return symbol == entry.first; });
            if (!listed) CHECK_EQ(symbol, std::string("a symbol of the table"));
        }
    }
    CHECK_EQ(numbered, std::size(known));
}

TEST(ecp_cores) {
    const std::pair<const char*, int> known[] = {{"I", 28}, {"Ag", 28}, {"Cd", 28}, {"Au", 60}, {"Hg", 60}, {"Pb", 60}};
    for (const auto& [symbol, core] : known) CHECK_EQ(shown(ecp_core_electrons(symbol)), std::to_string(core));
    for (const char* unknown : {"Fe", "Pt", "Cu", "Zn", "i", "AU", "Br", ""}) {
        CHECK_EQ(shown(ecp_core_electrons(unknown)), std::string("none"));
    }
}

TEST(metals) {
    for (const char* metal : {"Fe", "Co", "Ni", "Cu", "Zn", "Ag", "Cd", "Au", "Hg", "Pb", "Pt", "Ir", "Mn"}) {
        CHECK(is_metal(metal));
    }
    for (const char* other : {"K", "Na", "Ca", "Mg", "Li", "Al", "fe", "FE", "Fe ", "", "H"}) CHECK(!is_metal(other));
}

TEST(closed_shell_d10_cations) {
    for (const char* symbol : {"Zn", "Cd", "Hg"}) {
        CHECK(is_closed_shell_d10(symbol, 2));
        CHECK(!is_closed_shell_d10(symbol, 1));
        CHECK(!is_closed_shell_d10(symbol, -2));
    }
    for (const char* symbol : {"Cu", "Ag", "Au"}) {
        CHECK(is_closed_shell_d10(symbol, 1));
        CHECK(!is_closed_shell_d10(symbol, 2));
    }
    CHECK(!is_closed_shell_d10("Ni", 2));
    CHECK(!is_closed_shell_d10("Fe", 2));
    CHECK(!is_closed_shell_d10("zn", 2));
    CHECK(!is_closed_shell_d10("Zn", 2 + (std::int64_t{1} << 32)));  // no truncation to 32 bits
}

TEST(bonding_cutoffs) {
    for (const char* symbol : {"C", "N", "O"}) CHECK_EQ(bonding_cutoff(symbol).value_or(0.0), 1.75);
    for (const char* symbol : {"P", "S"}) CHECK_EQ(bonding_cutoff(symbol).value_or(0.0), 1.95);
    for (const char* other : {"H", "Cl", "Si", "Se", "Co", "c", "o", "F", ""}) CHECK(!bonding_cutoff(other));
}
