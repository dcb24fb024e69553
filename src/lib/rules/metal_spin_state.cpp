// metal-spin-state: a cluster whose one metal atom is a closed-shell d10
// cation at the declared oxidation state (Zn, Cd, Hg at +2; Cu, Ag, Au at +1)
// has no unpaired electron, so it must be declared a singlet.
#include "lib/elements.h"
#include "lib/rules/atom_elements.h"
#include "lib/rules/rules.h"

namespace quorv {

namespace {

// Elements: per atom index, is_metal.
template <typename Elements>
void check_the_metal(const ClusterSpec& spec, const Elements& elements, OrderedFindings& out) {
    if (!spec.metal_oxidation_state.has_value() || !spec.spin_multiplicity.has_value()) return;

    // The oxidation state belongs to "the" metal: with two metal atoms (even of
    // one element) it is ambiguous, so the rule applies to exactly one.
    const Atom* metal = nullptr;
    for (std::size_t i = 0; i < spec.atoms.size(); ++i) {
        if (!elements.is_metal(i)) continue;
        if (metal != nullptr) return;
        metal = &spec.atoms[i];
    }
    if (metal == nullptr) return;

    const std::int64_t oxidation_state = *spec.metal_oxidation_state;
    const std::uint32_t multiplicity = *spec.spin_multiplicity;
    if (is_closed_shell_d10(metal->element, oxidation_state) && multiplicity != 1) {
        out.add(make_finding(messages::kClosedShellNotSinglet, {}, metal->element, oxidation_state, multiplicity));
    }
}

}  // namespace

void check_metal_spin_state(const ClusterSpec& spec, const ElementTables& tables, OrderedFindings& out) {
    check_the_metal(spec, TableLookups(tables, spec.atoms), out);
}

void check_metal_spin_state(const ClusterSpec& spec, const AtomElements& elements, OrderedFindings& out) {
    check_the_metal(spec, elements, out);
}

}  // namespace quorv
