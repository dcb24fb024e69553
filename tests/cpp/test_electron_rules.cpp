// Electron count, multiplicity and parity, and the closed-shell d10 rule,
// observed through the engine.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "check.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;

namespace {

const std::initializer_list<std::string_view> kElectronCodes = {
    name_of(Code::ElectronParityAbstain), name_of(Code::ElectronCountNegative), name_of(Code::SpinMultiplicityInvalid),
    name_of(Code::ElectronParity), name_of(Code::MetalSpinState),
};

std::string electron_text(const ClusterSpec& spec) { return lint_text(spec, kElectronCodes); }

const std::string kUndeclared =
    "warning electron-parity-abstain: electron parity not checked: charge and/or spin multiplicity not "
    "provided (a bare geometry omits them). Declare both to enable it.\n";

std::string unknown_z(const std::string& list) {
    return "warning electron-parity-abstain: electron count not verified: unknown atomic number for " + list + "\n";
}
std::string unknown_core(const std::string& list) {
    return "warning electron-parity-abstain: electron parity not verified: unknown ECP core for " + list +
           " \u2014 declare it or verify by hand\n";
}
std::string negative(const std::string& n) {
    return "error electron-count-negative: electron count is negative (" + n + "): charge or ECP setup is wrong\n";
}
std::string parity(const std::string& n, const std::string& m) {
    return "error electron-parity: impossible state: " + n + " electrons with multiplicity " + m +
           ". N and (M\u22121) must share parity \u2014 (N+M) must be odd, here it is even. Most common "
           "cause: forgotten ECP core subtraction or wrong formal charge.\n";
}
const std::string kMultiplicityZero =
    "error spin-multiplicity-invalid: spin multiplicity must be \u2265 1, got 0\n";
std::string closed_shell(const std::string& cation, const std::string& m) {
    return "error metal-spin-state: " + cation + " is a closed-shell d\u00b9\u2070 cation and must be a singlet "
           "(M=1), but multiplicity " + m + " was declared.\n";
}

std::vector<Atom> water() {
    return {atom("O"), atom("H", 0.757, 0.586), atom("H", -0.757, 0.586)};
}

}  // namespace

TEST(undeclared_charge_or_multiplicity_abstains_alone) {
    CHECK_EQ(lint_text(ClusterSpec{}), kUndeclared);  // no atoms, nothing declared: exactly this finding

    ClusterSpec charge_only;
    charge_only.atoms = {atom("Xx"), atom("Q", 1.0)};
    charge_only.charge = 0;
    CHECK_EQ(electron_text(charge_only), kUndeclared);

    ClusterSpec multiplicity_only;
    multiplicity_only.atoms = water();
    multiplicity_only.spin_multiplicity = 2;
    CHECK_EQ(electron_text(multiplicity_only), kUndeclared);
}

TEST(a_present_zero_charge_counts_as_declared) {
    CHECK_EQ(lint_text(declared({}, 0, 1)), std::string());
    CHECK_EQ(lint_text(declared(water(), 0, 1)), std::string());
}

TEST(water_parity) {
    CHECK_EQ(lint_text(declared(water(), 0, 2)), parity("10", "2"));
    CHECK_EQ(lint_text(declared(water(), 0, 3)), std::string());
    CHECK_EQ(lint_text(declared(water(), 1, 2)), std::string());  // H2O+ doublet
    CHECK_EQ(lint_text(declared(water(), -1, 1)), parity("11", "1"));
}

TEST(unknown_atomic_numbers_are_listed_sorted_and_once) {
    struct Case {
        std::vector<std::string> symbols;
        std::string list;
    };
    const std::vector<Case> cases = {
        {{"Xx", "O", "Xx", "Q"}, "Q, Xx"},
        {{"Xx", "Xx", "Xx", "Q"}, "Q, Xx"},
        {{"fe"}, "fe"},
        {{"FE", "CO", "Co"}, "CO, FE"},
        {{" Fe", "Fe1", "Fe "}, " Fe, Fe , Fe1"},
        {{"In", "I"}, "In"},
        {{"D", "T", "H"}, "D, T"},
        {{""}, ""},
        {{"Xx", ""}, ", Xx"},
        {{"Xa", "X", "Xx"}, "X, Xa, Xx"},   // a prefix sorts first
        {{"a", "Zz", "\u00c5"}, "Zz, a, \u00c5"},  // byte order: upper case, lower case, then UTF-8
        {{"Pt"}, "Pt"},
        {{"Ir", "Mn", "Be", "Ne", "Ar"}, "Ar, Be, Ir, Mn, Ne"},
    };
    for (const Case& c : cases) {
        std::vector<Atom> atoms;
        for (std::size_t i = 0; i < c.symbols.size(); ++i) atoms.push_back(atom(c.symbols[i], 2.0 * i));
        CHECK_EQ(electron_text(declared(atoms, 0, 1)), unknown_z(c.list));
        // An unknown atomic number ends the group before the ECP list is looked at.
        CHECK_EQ(electron_text(declared(atoms, 0, 1, {"Pt", "Xx", "Fe"})), unknown_z(c.list));
    }
}

TEST(ecp_cores_are_subtracted_once_per_atom) {
    const std::vector<Atom> iodine = {atom("I"), atom("I", 2.7)};
    // Z = 106; each listed I atom loses 28 core electrons, however often "I" is listed.
    CHECK_EQ(electron_text(declared(iodine, 0, 2)), parity("106", "2"));
    CHECK_EQ(electron_text(declared(iodine, 0, 2, {"I"})), parity("50", "2"));
    CHECK_EQ(electron_text(declared(iodine, 0, 2, {"I", "I"})), parity("50", "2"));
    CHECK_EQ(electron_text(declared(iodine, 0, 1, {"I"})), std::string());
    // Listing elements no atom has, or a different letter case, changes nothing.
    CHECK_EQ(electron_text(declared(iodine, 0, 2, {"Au", "i", " I"})), parity("106", "2"));

    // Au (79 - 60) + Hg (80 - 60) + Pb (82 - 60) + Ag (47 - 28) + Cd (48 - 28), charge 0.
    const std::vector<Atom> heavy = {atom("Au"), atom("Hg", 2), atom("Pb", 4), atom("Ag", 6), atom("Cd", 8)};
    CHECK_EQ(electron_text(declared(heavy, 0, 2, {"Au", "Hg", "Pb", "Ag", "Cd"})), parity("100", "2"));
    CHECK_EQ(electron_text(declared(heavy, 0, 2, {"Pb"})), parity("276", "2"));
}

TEST(unknown_ecp_cores_abstain) {
    CHECK_EQ(electron_text(declared({atom("Fe")}, 0, 1, {"Fe"})), unknown_core("Fe"));
    CHECK_EQ(electron_text(declared({atom("Fe"), atom("Co", 2), atom("Fe", 4), atom("I", 6)}, 0, 1,
                                    {"I", "Fe", "Co"})),
             unknown_core("Co, Fe"));
    CHECK_EQ(electron_text(declared({atom("Fe")}, 0, 1, {"Au"})), std::string());
    // The ECP abstain comes before a negative count.
    CHECK_EQ(electron_text(declared({atom("H"), atom("O", 1)}, 50, 1, {"O"})), unknown_core("O"));
}

TEST(negative_count_ends_the_group) {
    CHECK_EQ(electron_text(declared({atom("H")}, 2, 1)), negative("-1"));
    CHECK_EQ(electron_text(declared({atom("H")}, 2, 0)), negative("-1"));  // multiplicity 0 unreported
    CHECK_EQ(electron_text(declared({}, 1, 1)), negative("-1"));
    CHECK_EQ(electron_text(declared({atom("H"), atom("H", 0.74)}, 5, 2)), negative("-3"));
    CHECK_EQ(electron_text(declared({atom("I")}, 26, 1, {"I"})), negative("-1"));  // 53 - (26 + 28)
    CHECK_EQ(electron_text(declared({atom("I")}, 25, 1, {"I"})), std::string());   // N = 0, M = 1
}

TEST(multiplicity_zero_is_invalid_and_ends_the_group) {
    CHECK_EQ(electron_text(declared(water(), 0, 0)), kMultiplicityZero);  // N + M = 10 would be even too
    CHECK_EQ(electron_text(declared({}, 0, 0)), kMultiplicityZero);
    CHECK_EQ(electron_text(declared({atom("H")}, 1, 0)), kMultiplicityZero);  // N = 0
}

TEST(parity_uses_the_full_multiplicity_range) {
    constexpr std::uint32_t kLargest = std::numeric_limits<std::uint32_t>::max();
    CHECK_EQ(electron_text(declared(water(), 0, kLargest)), std::string());
    CHECK_EQ(electron_text(declared(water(), 1, kLargest)), parity("9", "4294967295"));
}

TEST(extreme_charges_are_counted_exactly) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    CHECK_EQ(electron_text(declared({}, kMin + 1, 1)), parity("9223372036854775807", "1"));
    CHECK_EQ(electron_text(declared({}, kMin + 1, 2)), std::string());
    CHECK_EQ(electron_text(declared({}, kMax, 1)), negative("-9223372036854775807"));
    // A charge of -2^63 adds 2^63 electrons: N = 1 + 2^63, past the 64-bit range.
    CHECK_EQ(electron_text(declared({atom("H")}, kMin, 1)), parity("9223372036854775809", "1"));
    CHECK_EQ(electron_text(declared({atom("Fe"), atom("H"), atom("H")}, kMin, 0)), kMultiplicityZero);
    CHECK_EQ(electron_text(declared({}, kMin, 2)), parity("9223372036854775808", "2"));
    // charge + C leaves the range too: 79 - (max + 60) = -(2^63 - 20).
    CHECK_EQ(electron_text(declared({atom("Au")}, kMax, 1, {"Au"})), negative("-9223372036854775788"));
}

TEST(closed_shell_d10_cation_must_be_a_singlet) {
    struct Case {
        std::string metal;
        std::int64_t oxidation_state;
        std::uint32_t multiplicity;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Zn", 2, 3, closed_shell("Zn+2", "3")}, {"Cd", 2, 2, closed_shell("Cd+2", "2")},
        {"Hg", 2, 5, closed_shell("Hg+2", "5")}, {"Cu", 1, 3, closed_shell("Cu+1", "3")},
        {"Ag", 1, 2, closed_shell("Ag+1", "2")}, {"Au", 1, 0, closed_shell("Au+1", "0")},
        {"Zn", 2, 1, ""},  {"Cu", 2, 2, ""}, {"Zn", 1, 3, ""}, {"Hg", 1, 3, ""},
        {"Ni", 2, 3, ""},  {"Fe", 2, 5, ""}, {"Pt", 2, 3, ""}, {"Zn", -2, 3, ""},
        {"zn", 2, 3, ""},  {"ZN", 2, 3, ""},
    };
    for (const Case& c : cases) {
        // Charge absent keeps the electron-count group to its first step.
        ClusterSpec spec;
        spec.atoms = {atom(c.metal), atom("Cl", 2.2), atom("Cl", -2.2)};
        spec.spin_multiplicity = c.multiplicity;
        spec.metal_oxidation_state = c.oxidation_state;
        CHECK_EQ(lint_text(spec, {name_of(Code::MetalSpinState)}), c.expected);
    }
}

TEST(closed_shell_rule_needs_exactly_one_metal_and_both_declarations) {
    auto zinc = [](std::vector<Atom> atoms) { return declared(std::move(atoms), 2, 3, {}, 2); };
    const std::string zinc_triplet = closed_shell("Zn+2", "3");
    CHECK_EQ(lint_text(zinc({atom("Zn"), atom("H", 1.6), atom("O", 3.0)}), {name_of(Code::MetalSpinState)}), zinc_triplet);
    CHECK_EQ(lint_text(zinc({atom("Zn"), atom("Zn", 2.5)}), {name_of(Code::MetalSpinState)}), std::string());
    CHECK_EQ(lint_text(zinc({atom("Zn"), atom("Fe", 2.5)}), {name_of(Code::MetalSpinState)}), std::string());
    CHECK_EQ(lint_text(zinc({atom("Zn"), atom("Mn", 2.5)}), {name_of(Code::MetalSpinState)}), std::string());
    CHECK_EQ(lint_text(zinc({atom("zn")}), {name_of(Code::MetalSpinState)}), std::string());

    ClusterSpec no_multiplicity = zinc({atom("Zn")});
    no_multiplicity.spin_multiplicity.reset();
    CHECK_EQ(lint_text(no_multiplicity, kElectronCodes), kUndeclared);

    ClusterSpec no_oxidation_state = zinc({atom("Zn")});
    no_oxidation_state.metal_oxidation_state.reset();
    CHECK_EQ(lint_text(no_oxidation_state, {name_of(Code::MetalSpinState)}), std::string());
}

TEST(lone_zinc_triplet) {
    // N = 28, N + M = 31 is odd: no parity error, but the spin state is wrong.
    CHECK_EQ(lint_text(declared({atom("Zn")}, 2, 3, {}, 2)),
             "error metal-uncoordinated: metal Zn (atom 0) has no neighbour within 2.7 \u00c5 \u2014 it is floating\n" +
                 closed_shell("Zn+2", "3"));

    ClusterSpec no_charge = declared({atom("Zn")}, 0, 3, {}, 2);
    no_charge.charge.reset();
    CHECK_EQ(lint_codes(no_charge), std::string("metal-uncoordinated metal-spin-state electron-parity-abstain"));
}
