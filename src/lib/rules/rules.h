// The rule groups that the engine runs, each appending its findings in order.
#pragma once

#include <vector>

#include "lib/cluster.h"
#include "lib/finding.h"

namespace quorv {

// Electron count and spin: at most one finding.
void check_electron_count(const ClusterSpec& spec, std::vector<Finding>& out);
// A single closed-shell d10 metal cation must be a singlet: at most one finding.
void check_closed_shell_metal(const ClusterSpec& spec, std::vector<Finding>& out);

// C, N, O, P and S atoms with no partner within bonding distance.
void check_bare_heteroatoms(const ClusterSpec& spec, std::vector<Finding>& out);
// Metal atoms with no or one neighbour.
void check_metal_coordination(const ClusterSpec& spec, std::vector<Finding>& out);
// Pairs of atoms closer than any bond.
void check_overlapping_atoms(const ClusterSpec& spec, std::vector<Finding>& out);
// Hydrogens all too far from everything: a geometry in bohr.
void check_unit_scale(const ClusterSpec& spec, std::vector<Finding>& out);

}  // namespace quorv
