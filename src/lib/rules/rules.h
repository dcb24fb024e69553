// The rule groups that the engine runs, each adding its findings in order.
// A group's file is named after the codes it emits and documents them at its
// top; the functions that report a finding are shared with the pairwise
// reference of the geometry rules, so that both word them alike. Each
// geometry group has a second form for periodic frames, which measures over
// the periodic images.
#pragma once

#include <cstddef>
#include <span>

#include "lib/cluster.h"
#include "lib/lint.h"

namespace quorv {

namespace geometry {
class PeriodicNeighbours;
}

// electron_count.cpp: at most one finding.
void check_electron_count(const ClusterSpec& spec, OrderedFindings& out);
// metal_spin_state.cpp: at most one finding.
void check_metal_spin_state(const ClusterSpec& spec, OrderedFindings& out);

// bare_heteroatom.cpp
void check_bare_heteroatoms(const ClusterSpec& spec, OrderedFindings& out);
void check_bare_heteroatoms(const ClusterSpec& spec, geometry::PeriodicNeighbours& neighbours, OrderedFindings& out);
void report_bare_heteroatom(OrderedFindings& out, std::span<const Atom> atoms, std::size_t index, double cutoff,
                            double nearest);

// metal_coordination.cpp: a finding for a metal with no or one neighbour, nothing for more.
void check_metal_coordination(const ClusterSpec& spec, OrderedFindings& out);
void check_metal_coordination(const ClusterSpec& spec, geometry::PeriodicNeighbours& neighbours,
                              OrderedFindings& out);
void report_metal_coordination(OrderedFindings& out, std::span<const Atom> atoms, std::size_t index,
                               std::size_t neighbours);

// overlapping_atoms.cpp
void check_overlapping_atoms(const ClusterSpec& spec, OrderedFindings& out);
void check_overlapping_atoms(const ClusterSpec& spec, const geometry::PeriodicNeighbours& neighbours,
                             OrderedFindings& out);
void report_overlapping_atoms(OrderedFindings& out, std::span<const Atom> atoms, std::size_t first,
                              std::size_t second, double distance);

// unit_scale.cpp: at most one finding, judged from the closest hydrogen contact.
void check_unit_scale(const ClusterSpec& spec, OrderedFindings& out);
void check_unit_scale(const ClusterSpec& spec, geometry::PeriodicNeighbours& neighbours, OrderedFindings& out);
void report_unit_scale_if_bohr(OrderedFindings& out, double closest_hydrogen_contact);

}  // namespace quorv
