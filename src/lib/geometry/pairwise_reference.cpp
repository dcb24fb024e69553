#include "lib/geometry/pairwise_reference.h"

#include <algorithm>
#include <limits>
#include <span>

#include "lib/elements.h"
#include "lib/rules/geometry_findings.h"
#include "lib/geometry/distance.h"
#include "lib/rules/rules.h"

namespace quorv::geometry_reference {

void check_bare_heteroatoms(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const auto cutoff = bonding_cutoff(atoms[i].element);
        if (!cutoff) continue;
        const double nearest = nearest_distance(atoms, i);
        // A partner exactly at the cutoff still counts as bonded.
        if (nearest > *cutoff) geometry::add_bare_heteroatom(out, atoms, i, *cutoff, nearest);
    }
}

void check_metal_coordination(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (!is_metal(atoms[i].element)) continue;
        geometry::add_metal_coordination(out, atoms, i,
                                         count_neighbours_within(atoms, i, geometry::kCoordinationRadius));
    }
}

void check_overlapping_atoms(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (const AtomPair& pair : pairs_closer_than(atoms, geometry::kOverlapDistance)) {
        geometry::add_overlapping_atoms(out, atoms, pair);
    }
}

void check_unit_scale(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    // Nearest distances are never NaN, so a plain minimum is enough here.
    double closest_hydrogen_contact = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (atoms[i].element != kHydrogen) continue;
        closest_hydrogen_contact = std::min(closest_hydrogen_contact, nearest_distance(atoms, i));
    }
    if (geometry::looks_like_bohr(closest_hydrogen_contact)) geometry::add_unit_scale(out, closest_hydrogen_contact);
}

std::vector<Finding> lint(const ClusterSpec& spec) {
    std::vector<Finding> findings;
    // Qualified throughout: the engine's own groups have the same names.
    quorv::check_electron_count(spec, findings);
    geometry_reference::check_bare_heteroatoms(spec, findings);
    geometry_reference::check_metal_coordination(spec, findings);
    quorv::check_closed_shell_metal(spec, findings);
    geometry_reference::check_overlapping_atoms(spec, findings);
    geometry_reference::check_unit_scale(spec, findings);
    sort_by_severity(findings);
    return findings;
}

}  // namespace quorv::geometry_reference
