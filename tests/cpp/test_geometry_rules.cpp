// Bare heteroatoms, metal coordination, overlapping atoms and unit scale,
// observed through the engine. Atoms placed on one axis sit at exactly the
// distance written, since sqrt(x * x) == |x| in binary floating point.
#include <string>
#include <vector>

#include "check.h"
#include "lib/geometry/distance.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;

namespace {

// Charge and multiplicity declared, no atom unknown to the electron count:
// only geometry findings remain for neutral closed-shell inputs.
const std::initializer_list<std::string_view> kGeometryCodes = {
    name_of(Code::BareHeteroatom), name_of(Code::MetalUncoordinated), name_of(Code::MetalLowCoordination),
    name_of(Code::OverlappingAtoms), name_of(Code::UnitScale),
};

std::string geometry_text(std::vector<Atom> atoms) {
    ClusterSpec spec;
    spec.atoms = std::move(atoms);
    return lint_text(spec, kGeometryCodes);
}

std::string bare(const std::string& index, const std::string& element, const std::string& cutoff,
                 const std::string& nearest) {
    return "error bare-heteroatom: atom " + index + " (" + element + ") has no bonding partner within " + cutoff +
           " \u00c5 (nearest is " + nearest +
           " \u00c5). Likely a bare oxygen / missing hydrogens / a fragment cut through a bond.\n";
}
std::string uncoordinated(const std::string& element, const std::string& index) {
    return "error metal-uncoordinated: metal " + element + " (atom " + index +
           ") has no neighbour within 2.7 \u00c5 \u2014 it is floating\n";
}
std::string low_coordination(const std::string& element, const std::string& index) {
    return "warning metal-low-coordination: metal " + element + " (atom " + index +
           ") has coordination 1 \u2014 verify this is intended\n";
}
std::string overlap(const std::string& i, const std::string& ei, const std::string& j, const std::string& ej,
                    const std::string& distance) {
    return "error overlapping-atoms: atoms " + i + " (" + ei + ") and " + j + " (" + ej + ") are " + distance +
           " \u00c5 apart \u2014 below any real bond (H\u2013H is 0.74 \u00c5). Likely a duplicated atom or a "
           "coordinate error.\n";
}
std::string unit_scale(const std::string& closest, const std::string& converted) {
    return "warning unit-scale: closest hydrogen bond is " + closest +
           " \u00c5 \u2014 longer than any real X\u2013H bond (~1.0 \u00c5). The geometry is likely in Bohr "
           "(\u00d70.529 \u2192 " + converted +
           " \u00c5), not the \u00c5ngstr\u00f6m this tool assumes. Convert the coordinates, or verify the units.\n";
}

}  // namespace

TEST(no_atoms_no_geometry_finding) {
    CHECK_EQ(geometry_text({}), std::string());
}

TEST(single_atoms) {
    CHECK_EQ(geometry_text({atom("O")}), bare("0", "O", "1.75", "inf"));
    CHECK_EQ(geometry_text({atom("C", 5, 5, 5)}), bare("0", "C", "1.75", "inf"));
    CHECK_EQ(geometry_text({atom("N")}), bare("0", "N", "1.75", "inf"));
    CHECK_EQ(geometry_text({atom("S")}), bare("0", "S", "1.95", "inf"));
    CHECK_EQ(geometry_text({atom("P")}), bare("0", "P", "1.95", "inf"));
    CHECK_EQ(geometry_text({atom("Fe")}), uncoordinated("Fe", "0"));
    CHECK_EQ(geometry_text({atom("Mn")}), uncoordinated("Mn", "0"));
    for (const char* quiet : {"Cl", "H", "Si", "Se", "o", "c", "K", "Xx", "", "O ", "fe", "D"}) {
        CHECK_EQ(geometry_text({atom(quiet)}), std::string());
    }
}

TEST(bonding_cutoffs_are_inclusive) {
    struct Case {
        std::string element;
        double cutoff;
        std::string cutoff_text;
    };
    for (const Case& c : {Case{"C", 1.75, "1.75"}, Case{"N", 1.75, "1.75"}, Case{"O", 1.75, "1.75"},
                          Case{"P", 1.95, "1.95"}, Case{"S", 1.95, "1.95"}}) {
        CHECK_EQ(geometry_text({atom(c.element), atom("Cl", c.cutoff)}), std::string());
        CHECK_EQ(geometry_text({atom(c.element), atom("Cl", just_below(c.cutoff))}), std::string());
        // Just past the cutoff fires, though both print alike.
        CHECK_EQ(geometry_text({atom(c.element), atom("Cl", just_above(c.cutoff))}),
                 bare("0", c.element, c.cutoff_text, c.cutoff_text));
        CHECK_EQ(geometry_text({atom("Cl", 0, 0, c.cutoff + 0.3), atom(c.element)}),
                 bare("1", c.element, c.cutoff_text, c.cutoff == 1.75 ? "2.05" : "2.25"));
    }
    // The nearest partner of any element counts, another heteroatom or a metal too.
    CHECK_EQ(geometry_text({atom("O"), atom("O", 1.48)}), std::string());
    CHECK_EQ(geometry_text({atom("S"), atom("Zn", 0, 1.9), atom("S", 0, 3.8), atom("Cl", 0, -2.0)}), std::string());
}

TEST(bare_heteroatoms_reported_per_atom_in_order) {
    CHECK_EQ(geometry_text({atom("O"), atom("N", 3), atom("C", 6), atom("S", 9), atom("O", 12)}),
             bare("0", "O", "1.75", "3.00") + bare("1", "N", "1.75", "3.00") + bare("2", "C", "1.75", "3.00") +
                 bare("3", "S", "1.95", "3.00") + bare("4", "O", "1.75", "3.00"));
}

TEST(metal_coordination_radius_is_inclusive) {
    CHECK_EQ(geometry_text({atom("Fe"), atom("Cl", 2.7)}), low_coordination("Fe", "0"));
    CHECK_EQ(geometry_text({atom("Fe"), atom("Cl", just_below(2.7))}), low_coordination("Fe", "0"));
    CHECK_EQ(geometry_text({atom("Fe"), atom("Cl", just_above(2.7))}), uncoordinated("Fe", "0"));
    CHECK_EQ(geometry_text({atom("Cl", 2.7), atom("Fe"), atom("Cl", -2.7)}), std::string());
    CHECK_EQ(geometry_text({atom("Cl", 2.7), atom("Fe"), atom("Cl", just_below(-2.7))}), low_coordination("Fe", "1"));
}

TEST(metal_neighbours_of_any_element_count) {
    // Two metals 2.5 apart: each has the other as its one neighbour.
    CHECK_EQ(geometry_text({atom("Cu"), atom("Ag", 2.5)}), low_coordination("Cu", "0") + low_coordination("Ag", "1"));
    CHECK_EQ(geometry_text({atom("H", -1.5), atom("Pt"), atom("H", 1.5)}), std::string());
    CHECK_EQ(geometry_text({atom("Ir"), atom("Xx", 2.0), atom("", 0, 2.0)}), std::string());
    // The partner may still be reported by its own rule.
    CHECK_EQ(geometry_text({atom("Ni"), atom("O", 2.7)}), bare("1", "O", "1.75", "2.70") + low_coordination("Ni", "0"));
    CHECK_EQ(geometry_text({atom("Zn"), atom("Zn", 10), atom("Co", 20)}),
             uncoordinated("Zn", "0") + uncoordinated("Zn", "1") + uncoordinated("Co", "2"));
}

TEST(overlap_distance_is_strict) {
    CHECK_EQ(geometry_text({atom("He"), atom("He", 0.5)}), std::string());
    CHECK_EQ(geometry_text({atom("He"), atom("He", just_below(0.5))}), overlap("0", "He", "1", "He", "0.500"));
    CHECK_EQ(geometry_text({atom("He"), atom("Li", 0, 0, 0.4996)}), overlap("0", "He", "1", "Li", "0.500"));
    CHECK_EQ(geometry_text({atom("He"), atom("Li", 0, 0, 0.4994)}), overlap("0", "He", "1", "Li", "0.499"));
}

TEST(duplicated_hydrogen_is_only_an_overlap) {
    CHECK_EQ(lint_text(declared({atom("H", 1, 2, 3), atom("H", 1, 2, 3)}, 0, 1)),
             overlap("0", "H", "1", "H", "0.000"));
}

TEST(every_overlapping_pair_in_pair_order) {
    const double height = std::sqrt(0.4 * 0.4 - 0.15 * 0.15);
    CHECK_EQ(geometry_text({atom("Li"), atom("Li", 0.3), atom("Li", 0.15, height)}),
             overlap("0", "Li", "1", "Li", "0.300") + overlap("0", "Li", "2", "Li", "0.400") +
                 overlap("1", "Li", "2", "Li", "0.400"));
    // Four atoms on one spot: all six pairs, no cap and no merging.
    std::string six;
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) six += overlap(std::to_string(i), "He", std::to_string(j), "He", "0.000");
    }
    CHECK_EQ(geometry_text({atom("He"), atom("He"), atom("He"), atom("He")}), six);
}

TEST(unit_scale_threshold_is_strict) {
    CHECK_EQ(geometry_text({atom("H"), atom("Cl", 1.5)}), std::string());
    CHECK_EQ(geometry_text({atom("H"), atom("Cl", just_above(1.5))}), unit_scale("1.50", "0.79"));
    CHECK_EQ(geometry_text({atom("H"), atom("H", 0.74)}), std::string());
    // The closest contact of any hydrogen decides: 2.0 here, not 5.0.
    CHECK_EQ(geometry_text({atom("H", 0, 0, 40), atom("H"), atom("H", 2.0), atom("Cl", 0, 0, 45)}),
             unit_scale("2.00", "1.06"));
    // One hydrogen at a real bond length is enough to clear the geometry.
    CHECK_EQ(geometry_text({atom("H", 0, 0, 40), atom("Cl", 0, 0, 41.3), atom("H"), atom("H", 2.0)}), std::string());
    // Only "H" is hydrogen.
    CHECK_EQ(geometry_text({atom("D"), atom("Cl", 3.0)}), std::string());
    CHECK_EQ(geometry_text({atom("h"), atom("Cl", 3.0)}), std::string());
}

TEST(water_in_bohr) {
    CHECK_EQ(geometry_text({atom("O"), atom("H", 1.80)}), bare("0", "O", "1.75", "1.80") + unit_scale("1.80", "0.95"));
    CHECK_EQ(geometry_text({atom("O"), atom("H", 0.96)}), std::string());
}

TEST(nan_distances_are_skipped) {
    // The NaN partner is no partner, whichever side of the good one it stands.
    CHECK_EQ(geometry_text({atom("O"), atom("H", kNaN), atom("H", 0.96)}), std::string());
    CHECK_EQ(geometry_text({atom("O"), atom("H", 0.96), atom("H", 0, kNaN)}), std::string());
    // With only NaN partners the nearest distance stays infinite.
    CHECK_EQ(geometry_text({atom("O", kNaN), atom("H")}), bare("0", "O", "1.75", "inf"));
    CHECK_EQ(geometry_text({atom("O"), atom("H", 0, 0, kNaN), atom("N", kNaN)}),
             bare("0", "O", "1.75", "inf") + bare("2", "N", "1.75", "inf"));
    // No neighbour, no overlap, no unit-scale value from NaN.
    CHECK_EQ(geometry_text({atom("Fe", kNaN), atom("Cl"), atom("Cl", 0.1)}),
             uncoordinated("Fe", "0") + overlap("1", "Cl", "2", "Cl", "0.100"));
    CHECK_EQ(geometry_text({atom("He", kNaN), atom("He", kNaN)}), std::string());
    CHECK_EQ(geometry_text({atom("H", kNaN), atom("Cl", 3.0)}), std::string());
}

TEST(infinite_coordinates) {
    CHECK_EQ(geometry_text({atom("O", kInf), atom("H")}), bare("0", "O", "1.75", "inf"));
    // inf - inf is NaN: two atoms at the same infinity neither overlap nor bond.
    CHECK_EQ(geometry_text({atom("He", kInf), atom("He", kInf)}), std::string());
    CHECK_EQ(geometry_text({atom("Fe", 0, -kInf), atom("Fe", 0, kInf)}),
             uncoordinated("Fe", "0") + uncoordinated("Fe", "1"));
    // An infinite closest hydrogen contact is never reported.
    CHECK_EQ(geometry_text({atom("H", 0, 0, kInf), atom("Cl")}), std::string());
    // A finite but overflowing distance is infinite too.
    CHECK_EQ(geometry_text({atom("H", 1e300), atom("Cl", -1e300)}), std::string());
}

TEST(reference_measurements) {
    namespace ref = geometry::pairwise;
    const std::vector<Atom> atoms = {atom("A"), atom("B", 3, 4), atom("C", kNaN), atom("D", 0, 0, 0.2)};
    CHECK_EQ(geometry::distance(atoms[0], atoms[1]), 5.0);
    CHECK(std::isnan(geometry::distance(atoms[0], atoms[2])));
    CHECK_EQ(ref::nearest_distance(atoms, 0), 0.2);
    CHECK_EQ(ref::nearest_distance(atoms, 2), kInf);
    // B is exactly 5 from A and a little more from D.
    CHECK_EQ(ref::count_neighbours_within(atoms, 1, 5.0), std::size_t{1});
    CHECK_EQ(ref::count_neighbours_within(atoms, 1, just_below(5.0)), std::size_t{0});
    CHECK_EQ(ref::count_neighbours_within(atoms, 1, 5.01), std::size_t{2});
    auto pair_list = [](const std::vector<geometry::AtomPair>& pairs) {
        std::string text;
        for (const auto& pair : pairs) text += std::to_string(pair.first) + "-" + std::to_string(pair.second) + " ";
        return text;
    };
    CHECK_EQ(pair_list(ref::pairs_closer_than(atoms, 5.0)), std::string("0-3 "));
    CHECK_EQ(pair_list(ref::pairs_closer_than(atoms, 5.01)), std::string("0-1 0-3 1-3 "));
    // The sum runs (dx*dx + dy*dy) + dz*dz: with these values the other order
    // would round differently.
    const Atom far = atom("", 1e8, 1.0, 1.0);
    const double expected = std::sqrt((1e16 + 1.0) + 1.0);
    CHECK_EQ(geometry::distance(atoms[0], far), expected);
}
