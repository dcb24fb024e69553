#include "lib/lint.h"

#include "lib/rules/preview/preview.h"
#include "lib/geometry/periodic_neighbours.h"
#include "lib/rules/rules.h"

namespace quorv {

void OrderedFindings::add(Finding&& finding) {
    if (finding.severity() == Severity::Error) {
        sink_.accept(std::move(finding));
    } else {
        warnings_.push_back(std::move(finding));
    }
}

void OrderedFindings::finish() {
    for (Finding& warning : warnings_) sink_.accept(std::move(warning));
    warnings_.clear();
}

void lint(const ClusterSpec& spec, FindingSink& sink) {
    OrderedFindings out(sink);
    // The order of the groups is part of the output: within one severity,
    // findings keep the order in which these steps produce them.
    check_electron_count(spec, out);
    check_bare_heteroatoms(spec, out);
    check_metal_coordination(spec, out);
    check_metal_spin_state(spec, out);
    check_overlapping_atoms(spec, out);
    check_unit_scale(spec, out);
    out.finish();
}

void lint(const ClusterSpec& spec, const std::optional<geometry::PeriodicCell>& cell, FindingSink& sink) {
    if (!cell) return lint(spec, sink);
    geometry::PeriodicNeighbours neighbours(spec.atoms, *cell);
    OrderedFindings out(sink);
    // The steps of the molecule, in the same order.
    check_electron_count(spec, out);
    check_bare_heteroatoms(spec, neighbours, out);
    check_metal_coordination(spec, neighbours, out);
    check_metal_spin_state(spec, out);
    check_overlapping_atoms(spec, neighbours, out);
    check_unit_scale(spec, neighbours, out);
    out.finish();
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
