// The engine over all rule groups: production order, the stable sort by
// severity, and no merging of repeated findings.
#include <string>
#include <vector>

#include "check.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;

TEST(every_group_once_sorted_errors_first) {
    ClusterSpec spec;
    spec.atoms = {
        atom("O"),                                   // 0: bare, nearest is the zinc 10 Å away
        atom("Zn", 10), atom("Cl", 12.5),            // 1: one neighbour
        atom("He", 20), atom("He", 20.2),            // 3, 4: overlap
        atom("H", 20, 2),                            // 5: closest contact 2.0 Å
    };
    spec.spin_multiplicity = 3;  // charge absent: abstain
    spec.metal_oxidation_state = 2;
    const std::vector<Finding> findings = lint(spec);
    CHECK_EQ(lint_codes(spec), std::string("bare-heteroatom metal-spin-state overlapping-atoms "
                                           "electron-parity-abstain metal-low-coordination unit-scale"));
    CHECK_EQ(findings.size(), std::size_t{6});
    if (findings.size() != 6) return;
    CHECK_EQ(findings[0].message(), std::string("atom 0 (O) has no bonding partner within 1.75 \u00c5 (nearest is 10.00 "
                                              "\u00c5). Likely a bare oxygen / missing hydrogens / a fragment cut "
                                              "through a bond."));
    CHECK_EQ(findings[2].message(), std::string("atoms 3 (He) and 4 (He) are 0.200 \u00c5 apart \u2014 below any real "
                                              "bond (H\u2013H is 0.74 \u00c5). Likely a duplicated atom or a "
                                              "coordinate error."));
    CHECK_EQ(findings[4].message(), std::string("metal Zn (atom 1) has coordination 1 \u2014 verify this is intended"));
    CHECK(findings[5].message().starts_with("closest hydrogen bond is 2.00 \u00c5"));
    for (std::size_t i = 0; i < findings.size(); ++i) {
        CHECK(findings[i].severity() == (i < 3 ? Severity::Error : Severity::Warning));
    }
}

TEST(electron_errors_sort_among_geometry_errors_by_production_order) {
    // Parity error (step 1) before the bare oxygen (step 2); the low
    // coordination warning goes last although it was produced before the overlap.
    const ClusterSpec spec = declared({atom("O"), atom("Fe", 5), atom("Cl", 7), atom("He", 20), atom("He", 20.1)}, 0, 1);
    CHECK_EQ(lint_codes(spec), std::string("electron-parity bare-heteroatom overlapping-atoms metal-low-coordination"));
}

TEST(abstaining_still_runs_the_geometry) {
    const ClusterSpec spec = declared({atom("Xx"), atom("O", 5), atom("Pt", 10)}, 0, 1);
    CHECK_EQ(lint_codes(spec), std::string("bare-heteroatom metal-uncoordinated electron-parity-abstain"));
}

TEST(repeated_findings_are_never_merged) {
    std::vector<Atom> atoms;
    for (int i = 0; i < 150; ++i) atoms.push_back(atom("He"));
    for (int i = 0; i < 3; ++i) atoms.push_back(atom("O", 10.0 * (i + 1)));
    const std::vector<Finding> findings = lint(declared(atoms, 0, 1, {}, std::nullopt));
    std::size_t overlaps = 0;
    std::size_t bare = 0;
    for (const Finding& finding : findings) {
        overlaps += finding.code_name() == name_of(Code::OverlappingAtoms);
        bare += finding.code_name() == name_of(Code::BareHeteroatom);
    }
    CHECK_EQ(overlaps, std::size_t{150 * 149 / 2});
    CHECK_EQ(bare, std::size_t{3});
    CHECK(!findings.empty() && findings.back().message().starts_with("atoms 148 (He) and 149 (He)"));
}

TEST(lint_only_reads_its_input) {
    const ClusterSpec spec = declared({atom("Zn"), atom("I", 3), atom("I", 3)}, 2, 3, {"I", "I"}, 2);
    const std::string first = lint_text(spec);
    CHECK_EQ(lint_text(spec), first);
    CHECK_EQ(spec.ecp_elements.size(), std::size_t{2});
    CHECK(!first.empty());
}
