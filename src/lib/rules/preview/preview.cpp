#include "lib/rules/preview/preview.h"

#include "lib/rules/preview/preview_rules.h"

namespace quorv {

void lint_preview(const ClusterSpec& spec, const PreviewTolerances& tolerances, FindingSink& sink,
                  PreviewShortcuts shortcuts) {
    OrderedFindings out(sink);
    const PreviewCluster cluster(spec, tolerances, shortcuts);
    // The strict engine's order, with the preview's own code after the bare atoms it complements.
    check_electron_count(spec, kPreviewTables, out);
    check_bare_atoms(cluster, out);
    check_missing_hydrogens(cluster, out);
    check_metal_neighbours(cluster, out);
    check_metal_spin_state(spec, kPreviewTables, out);
    check_overlapping_atoms(spec, out);  // as the strict rule judges them
    check_hydrogen_reach(cluster, out);
    out.finish();
}

}  // namespace quorv
