// The rule groups of the preview engine, each adding its findings in order.
#pragma once

#include "lib/periodic_table.h"
#include "lib/rules/preview/preview_cluster.h"
#include "lib/rules/rules.h"

namespace quorv {

// The electron-count and metal spin rules over every element.
inline constexpr ElementTables kPreviewTables{atomic_number_of_any_element, def2_ecp_core_electrons,
                                              is_transition_or_post_transition_metal, messages::kNoDef2EcpCore};

// bare_heteroatom.cpp
void check_bare_atoms(const PreviewCluster& cluster, OrderedFindings& out);
// missing_hydrogens.cpp: at most one finding.
void check_missing_hydrogens(const PreviewCluster& cluster, OrderedFindings& out);
// metal_coordination.cpp
void check_metal_neighbours(const PreviewCluster& cluster, OrderedFindings& out);
// unit_scale.cpp: at most one finding.
void check_hydrogen_reach(const PreviewCluster& cluster, OrderedFindings& out);

}  // namespace quorv
