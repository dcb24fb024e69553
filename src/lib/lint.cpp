#include "lib/lint.h"

#include "lib/rules/preview/preview.h"
#include "lib/geometry/molecule_neighbours.h"
#include "lib/geometry/periodic_neighbours.h"
#include "lib/rules/atom_elements.h"
#include "lib/rules/rules.h"

namespace quorv {

void OrderedFindings::add(Finding&& finding) {
    if (finding.severity() == Severity::Error) {
        sink_.accept(std::move(finding));
    } else if (warnings_in_place_ < kWarningsInPlace) {
        first_warnings_[warnings_in_place_++].emplace(std::move(finding));
    } else {
        more_warnings_.push_back(std::move(finding));
    }
}

void OrderedFindings::finish() {
    for (std::size_t i = 0; i < warnings_in_place_; ++i) {
        sink_.accept(std::move(*first_warnings_[i]));
        first_warnings_[i].reset();
    }
    warnings_in_place_ = 0;
    for (Finding& warning : more_warnings_) sink_.accept(std::move(warning));
    more_warnings_.clear();
}

namespace {

// The order of the groups is part of the output: within one severity,
// findings keep the order in which these steps produce them. Each atom's
// element is looked up once, and one set of neighbours answers every
// geometry rule, so that what it builds on the way is built once.
template <typename Neighbours>
void run_rules(const ClusterSpec& spec, Neighbours& neighbours, FindingSink& sink) {
    const AtomElements elements(spec.atoms);
    OrderedFindings out(sink);
    check_electron_count(spec, elements, out);
    check_bare_heteroatoms(elements, neighbours, out);
    check_metal_coordination(elements, neighbours, out);
    check_metal_spin_state(spec, elements, out);
    check_overlapping_atoms(spec.atoms, neighbours, out);
    check_unit_scale(elements, neighbours, out);
    out.finish();
}

}  // namespace

void lint(const ClusterSpec& spec, FindingSink& sink) {
    geometry::MoleculeNeighbours neighbours(spec.atoms);
    run_rules(spec, neighbours, sink);
}

void lint(const ClusterSpec& spec, const std::optional<geometry::PeriodicCell>& cell, FindingSink& sink) {
    if (!cell) return lint(spec, sink);
    geometry::PeriodicNeighbours neighbours(spec.atoms, *cell);
    run_rules(spec, neighbours, sink);
}

std::vector<Finding> lint(const ClusterSpec& spec) {
    FindingList list;
    lint(spec, list);
    return std::move(list.findings);
}

void lint(const ClusterSpec& spec, RuleSet rules, FindingSink& sink) {
    if (rules == RuleSet::Preview) return lint_preview(spec, PreviewTolerances{}, sink);
    lint(spec, sink);
}

std::vector<Finding> lint(const ClusterSpec& spec, RuleSet rules) {
    FindingList list;
    lint(spec, rules, list);
    return std::move(list.findings);
}

}  // namespace quorv
