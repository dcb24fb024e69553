// The geometry rules in their plain pairwise form, and the engine run with
// them: the output the indexed rules must reproduce byte for byte.
#pragma once

#include <vector>

#include "lib/cluster.h"
#include "lib/lint.h"

namespace quorv::geometry::pairwise {

void check_bare_heteroatoms(const ClusterSpec& spec, OrderedFindings& out);
void check_metal_coordination(const ClusterSpec& spec, OrderedFindings& out);
void check_overlapping_atoms(const ClusterSpec& spec, OrderedFindings& out);
void check_unit_scale(const ClusterSpec& spec, OrderedFindings& out);

// `lint` with the rule groups above in place of the indexed ones, same order.
std::vector<Finding> lint(const ClusterSpec& spec);

}  // namespace quorv::geometry::pairwise
