#include "lib/lint.h"

#include "lib/rules/rules.h"

namespace quorv {

std::vector<Finding> lint(const ClusterSpec& spec) {
    std::vector<Finding> findings;
    // The order of the groups is part of the output: within one severity,
    // findings keep the order in which these steps produce them.
    check_electron_count(spec, findings);
    check_bare_heteroatoms(spec, findings);
    check_metal_coordination(spec, findings);
    check_closed_shell_metal(spec, findings);
    check_overlapping_atoms(spec, findings);
    check_unit_scale(spec, findings);
    sort_by_severity(findings);
    return findings;
}

}  // namespace quorv
