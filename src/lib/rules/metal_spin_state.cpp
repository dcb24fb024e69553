// metal-spin-state: a cluster whose one metal atom is a closed-shell d10
// cation at the declared oxidation state (Zn, Cd, Hg at +2; Cu, Ag, Au at +1)
// has no unpaired electron, so it must be declared a singlet.
#include "lib/elements.h"
#include "lib/rules/rules.h"

namespace quorv {

void check_metal_spin_state(const ClusterSpec& spec, const ElementTables& tables, OrderedFindings& out) {
    if (!spec.metal_oxidation_state.has_value() || !spec.spin_multiplicity.has_value()) return;

    // The oxidation state belongs to "the" metal: with two metal atoms (even of
    // one element) it is ambiguous, so the rule applies to exactly one.
    const Atom* metal = nullptr;
    for (const Atom& atom : spec.atoms) {
        if (!tables.is_metal(atom.element)) continue;
        if (metal != nullptr) return;
        metal = &atom;
    }
    if (metal == nullptr) return;

    const std::int64_t oxidation_state = *spec.metal_oxidation_state;
    const std::uint32_t multiplicity = *spec.spin_multiplicity;
    if (is_closed_shell_d10(metal->element, oxidation_state) && multiplicity != 1) {
        out.add(make_finding(messages::kClosedShellNotSinglet, {}, metal->element, oxidation_state, multiplicity));
    }
}

}  // namespace quorv
