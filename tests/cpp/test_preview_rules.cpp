// The preview rule set, observed through the engine: pair-aware bonds, every
// element's electrons, the missing-hydrogens check, and that its shortcuts
// never change an answer. Atoms on one axis sit at exactly the distance
// written, since sqrt(x * x) == |x| in binary floating point.
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "check.h"
#include "front/lint_text.h"
#include "lib/elements.h"
#include "lib/periodic_table.h"
#include "lib/rules/preview/preview.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;

namespace {

std::string preview_text(const ClusterSpec& spec, std::initializer_list<std::string_view> codes) {
    std::vector<Finding> kept;
    for (Finding& finding : lint(spec, RuleSet::Preview)) {
        for (std::string_view code : codes) {
            if (finding.code_name() == code) kept.push_back(std::move(finding));
        }
    }
    return render(kept);
}

const std::initializer_list<std::string_view> kGeometryCodes = {
    name_of(Code::BareHeteroatom), name_of(Code::MissingHydrogens), name_of(Code::MetalUncoordinated),
    name_of(Code::MetalLowCoordination), name_of(Code::OverlappingAtoms), name_of(Code::UnitScale),
};

std::string geometry_findings(std::vector<Atom> atoms, std::optional<std::int64_t> charge = std::nullopt) {
    ClusterSpec spec;
    spec.atoms = std::move(atoms);
    spec.charge = charge;
    return preview_text(spec, kGeometryCodes);
}

std::string strict_geometry(std::vector<Atom> atoms) {
    ClusterSpec spec;
    spec.atoms = std::move(atoms);
    return lint_text(spec, kGeometryCodes);
}

std::string bare(const std::string& index, const std::string& element, const std::string& reach,
                 const std::string& pair, const std::string& nearest) {
    return "error bare-heteroatom: atom " + index + " (" + element + ") has no bonding partner within " + reach +
           " \u00c5 (" + pair + "; nearest is " + nearest +
           " \u00c5). Likely a bare atom / missing hydrogens / a fragment cut through a bond.\n";
}

std::vector<Atom> tetrahedral(const std::string& centre, const std::string& ligand, double length) {
    const double d = length / std::sqrt(3.0);
    return {atom(centre), atom(ligand, d, d, d), atom(ligand, d, -d, -d), atom(ligand, -d, d, -d),
            atom(ligand, -d, -d, d)};
}

// A ring of `count` atoms in a plane, `length` apart.
std::vector<Atom> ring(const std::string& element, std::size_t count, double length) {
    const double radius = length / (2 * std::sin(std::numbers::pi / static_cast<double>(count)));
    std::vector<Atom> atoms;
    for (std::size_t k = 0; k < count; ++k) {
        const double phi = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(count);
        atoms.push_back(atom(element, radius * std::cos(phi), radius * std::sin(phi)));
    }
    return atoms;
}

}  // namespace

TEST(the_default_rule_set_is_strict) {
    const ClusterSpec spec = declared({atom("C"), atom("Cl", 1.77), atom("Pt", 9), atom("H", 20), atom("H", 21.6)}, 0, 1);
    CHECK_EQ(render(lint(spec, RuleSet::Strict)), render(lint(spec)));
    CHECK(render(lint(spec, RuleSet::Preview)) != render(lint(spec)));
}

TEST(bonds_judged_by_the_pair_the_strict_cutoffs_miss) {
    // Each is flagged by the strict rules and is ordinary chemistry.
    const std::vector<std::vector<Atom>> textbook = {
        tetrahedral("C", "Cl", 1.766),  // CCl4
        tetrahedral("C", "Br", 1.935),  // CBr4
        ring("S", 8, 2.05),             // S8, flattened
        {atom("P"), atom("Cl", 2.04), atom("Cl", 0, 2.04), atom("Cl", 0, 0, 2.04)},
        {atom("Fe", 0, 0, 1.76), atom("O"), atom("Fe", 0, 0, -1.76), atom("Cl", 0, 2.2, 2.4), atom("Cl", 0, -2.2, 2.4),
         atom("Cl", 0, 2.2, -2.4), atom("Cl", 0, -2.2, -2.4)},  // a mu-oxo bridge
        {atom("Au"), atom("Au", 2.9), atom("Au", 1.45, 2.51)},   // Au-Au beyond 2.7
        tetrahedral("Pb", "I", 3.17),
    };
    for (const auto& atoms : textbook) {
        CHECK(strict_geometry(atoms) != std::string());
        CHECK_EQ(geometry_findings(atoms), std::string());
    }
}

TEST(bare_atoms_name_the_pair_and_reach) {
    const auto bare_only = [](std::vector<Atom> atoms) {
        ClusterSpec spec;
        spec.atoms = std::move(atoms);
        return preview_text(spec, {name_of(Code::BareHeteroatom)});
    };
    // Cl-C bonds within 1.02 + 0.76 + 0.55 = 2.33 Å; the far bromine makes the longest reach Cl-Br's.
    const std::vector<Atom> methyl = {atom("C"), atom("H", 1.09), atom("H", -1.09), atom("H", 0, 1.09),
                                      atom("Br", 20), atom("Br", 22.3)};
    std::vector<Atom> apart = methyl;
    apart.push_back(atom("Cl", 0, -2.4));
    CHECK_EQ(bare_only(apart), bare("6", "Cl", "2.33", "Cl\u2013C", "2.40"));
    apart.back().y = -2.33;
    CHECK_EQ(bare_only(apart), std::string());
    // Nothing within the longest bond any pair here forms: (0.66 + 0.31) + 0.55.
    CHECK_EQ(bare_only({atom("O"), atom("H", 5.0)}), bare("0", "O", "1.52", "longest bond here", "5.00"));
    CHECK_EQ(bare_only({atom("O"), atom("H", 0.96), atom("H", 20)}), std::string());
    // Halogens and boron are judged; the noble gases are not.
    CHECK_EQ(bare_only({atom("B"), atom("Ne", 9)}), bare("0", "B", "1.97", "longest bond here", "9.00"));
    CHECK_EQ(bare_only({atom("F"), atom("Ne", 9)}), bare("0", "F", "1.70", "longest bond here", "9.00"));
    CHECK_EQ(bare_only({atom("Ar"), atom("Ar", 3.8)}), std::string());
}

TEST(one_atom_is_an_atom_calculation) {
    for (const char* element : {"O", "C", "Cl", "Fe", "Au", "H"}) CHECK_EQ(geometry_findings({atom(element)}), std::string());
    // The strict rules flag a lone heteroatom or metal.
    CHECK(strict_geometry({atom("O")}) != std::string());
}

TEST(free_halides_count_as_anions_of_a_negative_charge) {
    const std::vector<Atom> chloride_by_methane = {atom("C"), atom("H", 1.09), atom("H", -1.09), atom("H", 0, 1.09),
                                                   atom("H", 0, -1.09), atom("Cl", 0, 0, 3.5)};
    const std::string chloride_bare = bare("5", "Cl", "2.33", "longest bond here", "3.50");
    CHECK_EQ(geometry_findings(chloride_by_methane, -1), std::string());
    CHECK_EQ(geometry_findings(chloride_by_methane, 0), chloride_bare);
    CHECK_EQ(geometry_findings(chloride_by_methane), chloride_bare);
    // Two free chlorides need a charge of -2.
    std::vector<Atom> two = chloride_by_methane;
    two.push_back(atom("Cl", 0, 0, -3.5));
    CHECK(geometry_findings(two, -1) != std::string());
    CHECK_EQ(geometry_findings(two, -2), std::string());
}

TEST(metals_count_neighbours_within_the_pair_reach) {
    const std::string low = "warning metal-low-coordination: metal Au (atom 0) has coordination 1 (one neighbour "
                            "within 3.47 \u00c5, Au\u2013Au) \u2014 verify this is intended\n";
    // A heavy metal's reach: 1.36 + 1.36 + 0.75.
    CHECK_EQ(geometry_findings({atom("Au"), atom("Au", 3.47), atom("Ne", 20)}),
             low + "warning metal-low-coordination: metal Au (atom 1) has coordination 1 (one neighbour within 3.47 "
                   "\u00c5, Au\u2013Au) \u2014 verify this is intended\n");
    // Iron is no heavy metal: Fe-H bonds within 1.32 + 0.31 + 0.55, Fe-O within 2.53.
    CHECK_EQ(geometry_findings({atom("Fe"), atom("H", 2.3), atom("O", 10), atom("H", 10.96)}),
             "error metal-uncoordinated: metal Fe (atom 0) has no neighbour within 2.18 \u00c5 (Fe\u2013H; nearest is "
             "2.30 \u00c5) \u2014 it is floating\n");
    CHECK_EQ(geometry_findings({atom("Fe"), atom("H", 2.1), atom("O", 10), atom("H", 10.96)}),
             "warning metal-low-coordination: metal Fe (atom 0) has coordination 1 (one neighbour within 2.18 \u00c5, "
             "Fe\u2013H) \u2014 verify this is intended\n");
    // A diatomic molecule's metal has its one neighbour by definition.
    CHECK_EQ(geometry_findings({atom("Fe"), atom("H", 2.1)}), std::string());
    // Every d-, f- and p-block metal is checked, the alkali metals are not.
    CHECK(geometry_findings({atom("Ti"), atom("Na", 12)}) != std::string());
    CHECK(geometry_findings({atom("Ce"), atom("Na", 12)}) != std::string());
    CHECK(geometry_findings({atom("Sn"), atom("Na", 12)}) != std::string());
    CHECK_EQ(geometry_findings({atom("K"), atom("Na", 12)}), std::string());
}

TEST(hydrides_are_not_bohr_but_bohr_is) {
    for (const auto& [element, length] : {std::pair{"Li", 1.595}, {"Si", 1.516}, {"I", 1.609}, {"Na", 1.887}}) {
        CHECK(strict_geometry({atom(element), atom("H", length)}) != std::string());
        CHECK_EQ(geometry_findings({atom(element), atom("H", length)}), std::string());
    }
    const double bohr = 1 / 0.529177;
    CHECK_EQ(geometry_findings({atom("O"), atom("H", 0.96 * bohr), atom("H", 0, 0.96 * bohr)}),
             bare("0", "O", "1.52", "longest bond here", "1.81") +
                 "warning unit-scale: closest hydrogen bond is 1.81 \u00c5 (O\u2013H) \u2014 longer than 1.52 \u00c5, "
                 "the most that pair bonds within, and no hydrogen is bonded. The geometry is likely in Bohr (\u00d7"
                 "0.529 \u2192 0.96 \u00c5), not the \u00c5ngstr\u00f6m this tool assumes. Convert the coordinates, "
                 "or verify the units.\n");
    // H2 in bohr, 1.40 Å apart, which the strict 1.5 Å lets pass.
    CHECK_EQ(strict_geometry({atom("H"), atom("H", 0.74 * bohr)}), std::string());
    CHECK(geometry_findings({atom("H"), atom("H", 0.74 * bohr)}) != std::string());
}

TEST(missing_hydrogens_follow_the_bond_orders) {
    const std::string code(name_of(Code::MissingHydrogens));
    const auto flagged = [&](std::vector<Atom> atoms, std::int64_t charge, std::uint32_t multiplicity) {
        return !preview_text(declared(std::move(atoms), charge, multiplicity), {code}).empty();
    };
    // Stripped ethane and benzene; intact ethane, carbon monoxide and dioxide.
    CHECK(flagged({atom("C"), atom("C", 1.54)}, 0, 1));
    CHECK(flagged(ring("C", 6, 1.39), 0, 1));
    CHECK(!flagged({atom("C"), atom("C", 1.54), atom("H", -1.09), atom("H", 0, 1.09), atom("H", 0, -1.09),
                    atom("H", 2.63), atom("H", 1.54, 1.09), atom("H", 1.54, -1.09)},
                   0, 1));
    CHECK(!flagged({atom("C"), atom("O", 1.128)}, 0, 1));
    CHECK(!flagged({atom("O", -1.16), atom("C"), atom("O", 1.16)}, 0, 1));
    CHECK_EQ(preview_text(declared({atom("C"), atom("C", 1.54)}, 0, 1), {code}),
             "warning missing-hydrogens: atom 0 (C) and 1 more C, N or O atoms have fewer bonds than their valence: "
             "their bond orders, estimated from the bond lengths, fall 6.13 short in all, and the declared charge "
             "and multiplicity explain 0. Hydrogens are likely missing (a structure from a crystal or PDB file, or a "
             "fragment cut without capping).\n");
    // Methylene lacks two bonds: a triplet or a dication explains them, a singlet does not.
    CHECK_EQ(preview_text(declared({atom("C"), atom("H", 1.09), atom("H", -1.09)}, 0, 1), {code}),
             "warning missing-hydrogens: atom 0 (C) has fewer bonds than its valence: its bond orders, estimated from "
             "the bond lengths, fall 2.13 short, and the declared charge and multiplicity explain 0. Hydrogens are "
             "likely missing (a structure from a crystal or PDB file, or a fragment cut without capping).\n");
    CHECK(!flagged({atom("C"), atom("H", 1.09), atom("H", -1.09)}, 0, 3));
    CHECK(!flagged({atom("C"), atom("H", 1.09), atom("H", -1.09)}, 2, 1));
    // Atoms with no partner are bare atoms, not missing hydrogens.
    CHECK(!flagged({atom("O"), atom("O", 8)}, 0, 1));
}

TEST(every_element_has_its_electrons) {
    for (int z = 1; z <= kElementCount; ++z) {
        const std::string symbol(element_record(z).symbol);
        CHECK_EQ(element_number(symbol), z);
        const std::uint32_t fitting = z % 2 == 0 ? 1 : 2;
        CHECK_EQ(preview_text(declared({atom(symbol)}, 0, fitting), {name_of(Code::ElectronParityAbstain),
                                                                     name_of(Code::ElectronParity)}),
                 std::string());
        CHECK_EQ(preview_text(declared({atom(symbol)}, 0, 3 - fitting), {name_of(Code::ElectronParity)}),
                 "error electron-parity: impossible state: " + std::to_string(z) + " electrons with multiplicity " +
                     std::to_string(3 - fitting) +
                     ". N and (M\u22121) must share parity \u2014 (N+M) must be odd, here it is even. Most common "
                     "cause: forgotten ECP core subtraction or wrong formal charge.\n");
    }
    for (const char* unknown : {"", "X", "Xx", "fe", "FE", "Fe ", "D", "Uue", "CA"}) CHECK_EQ(element_number(unknown), 0);
}

TEST(the_strict_tables_agree_with_every_element) {
    for (int z = 1; z <= kElementCount; ++z) {
        const std::string_view symbol = element_record(z).symbol;
        if (const auto strict = atomic_number(symbol)) CHECK_EQ(*strict, std::int64_t{z});
        if (const auto core = ecp_core_electrons(symbol)) CHECK_EQ(def2_ecp_core_electrons(symbol).value_or(0), *core);
    }
}

TEST(def2_ecp_cores) {
    const auto electrons = [](std::vector<Atom> atoms, std::vector<std::string> ecp) {
        return preview_text(declared(std::move(atoms), 0, 1, std::move(ecp)),
                            {name_of(Code::ElectronParityAbstain), name_of(Code::ElectronCountNegative)});
    };
    // Pt: 78 - 60; W: 74 - 60; a lanthanide's small core is 28.
    CHECK_EQ(electrons({atom("Pt")}, {"Pt"}), std::string());
    CHECK_EQ(preview_text(declared({atom("Pt")}, 19, 1, {"Pt"}), {name_of(Code::ElectronCountNegative)}),
             "error electron-count-negative: electron count is negative (-1): charge or ECP setup is wrong\n");
    CHECK_EQ(preview_text(declared({atom("Gd")}, 38, 1, {"Gd"}), {name_of(Code::ElectronCountNegative)}),
             "error electron-count-negative: electron count is negative (-2): charge or ECP setup is wrong\n");
    CHECK_EQ(electrons({atom("Fe"), atom("Cu", 2.5)}, {"Cu", "Fe"}),
             "warning electron-parity-abstain: electron parity not verified: the def2 ECPs have no core for Cu, Fe "
             "\u2014 verify the core by hand\n");
}

TEST(the_front_end_passes_the_rule_set_on) {
    const std::string stripped = "2\ncharge=0 mult=1\nC 0 0 0\nC 1.54 0 0\n";
    const auto codes = [&](front::InputKind kind, std::string_view text, RuleSet rules) {
        FindingList list;
        CHECK(!front::lint_text(kind, text, list, rules).has_value());
        std::string names;
        for (const Finding& finding : list.findings) names += std::string(finding.code_name()) + " ";
        return names;
    };
    CHECK_EQ(codes(front::InputKind::Xyz, stripped, RuleSet::Strict), std::string());
    CHECK_EQ(codes(front::InputKind::Xyz, stripped, RuleSet::Preview), std::string("missing-hydrogens "));
    const std::string json = R"({"atoms": [{"element": "C", "x": 0, "y": 0, "z": 0},
                                           {"element": "C", "x": 1.54, "y": 0, "z": 0}]})";
    CHECK_EQ(codes(front::InputKind::ClusterSpecJson, json, RuleSet::Preview),
             std::string("electron-parity-abstain missing-hydrogens "));
    const std::string source = "AllChem.EmbedMolecule(mol)\n";
    CHECK_EQ(codes(front::InputKind::PythonSource, source, RuleSet::Preview),
             codes(front::InputKind::PythonSource, source, RuleSet::Strict));
}

TEST(overlaps_are_the_strict_ones) {
    const std::vector<Atom> atoms = {atom("He"), atom("He", just_below(0.5)), atom("C", 0.2, 0.1), atom("Au", 9)};
    const auto overlaps = [](const std::vector<Finding>& findings) {
        std::vector<Finding> kept;
        for (const Finding& f : findings) {
            if (f.code() == Code::OverlappingAtoms) kept.push_back(f);
        }
        return render(kept);
    };
    ClusterSpec spec;
    spec.atoms = atoms;
    CHECK(!overlaps(lint(spec)).empty());
    CHECK_EQ(overlaps(lint(spec, RuleSet::Preview)), overlaps(lint(spec)));
}

TEST(preview_shortcuts_never_change_a_finding) {
    // Molecules in random order and at random scales, so that partners are
    // sometimes listed next to an atom and sometimes far from it.
    std::mt19937_64 random(0x5eed);
    const char* const elements[] = {"H", "H", "H", "C", "C", "N", "O", "Cl", "S", "B", "Fe", "Au", "Pb", "Na", "Xx"};
    for (int round = 0; round < 300; ++round) {
        const std::size_t count = 2 + random() % 60;
        const double side = 1.0 + static_cast<double>(random() % 12);
        std::uniform_real_distribution<double> coordinate(0.0, side);
        ClusterSpec spec;
        for (std::size_t i = 0; i < count; ++i) {
            spec.atoms.push_back(atom(elements[random() % std::size(elements)], coordinate(random), coordinate(random),
                                      coordinate(random)));
        }
        if (random() % 2 == 0) spec.charge = static_cast<std::int64_t>(random() % 5) - 2;
        if (random() % 2 == 0) spec.spin_multiplicity = static_cast<std::uint32_t>(random() % 4);
        FindingList fast;
        FindingList plain;
        lint_preview(spec, PreviewTolerances{}, fast, PreviewShortcuts::ListedNeighbours);
        lint_preview(spec, PreviewTolerances{}, plain, PreviewShortcuts::None);
        CHECK_EQ(render(fast.findings), render(plain.findings));
    }
}
