#include "lib/geometry/pairwise_reference.h"

#include <algorithm>
#include <limits>
#include <span>

#include "lib/elements.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/thresholds.h"
#include "lib/rules/rules.h"

namespace quorv::geometry::pairwise {

void check_bare_heteroatoms(const ClusterSpec& spec, OrderedFindings& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const auto cutoff = bonding_cutoff(atoms[i].element);
        if (!cutoff) continue;
        const double nearest = nearest_distance(atoms, i);
        // A partner exactly at the cutoff still counts as bonded.
        if (nearest > *cutoff) report_bare_heteroatom(out, atoms, i, *cutoff, nearest);
    }
}

void check_metal_coordination(const ClusterSpec& spec, OrderedFindings& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (!is_metal(atoms[i].element)) continue;
        report_metal_coordination(out, atoms, i, count_neighbours_within(atoms, i, kCoordinationRadius));
    }
}

void check_overlapping_atoms(const ClusterSpec& spec, OrderedFindings& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (const AtomPair& pair : pairs_closer_than(atoms, kOverlapDistance)) {
        report_overlapping_atoms(out, atoms, pair.first, pair.second, pair.distance);
    }
}

void check_unit_scale(const ClusterSpec& spec, OrderedFindings& out) {
    const std::span<const Atom> atoms(spec.atoms);
    // Nearest distances are never NaN, so a plain minimum is enough here.
    double closest_hydrogen_contact = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (atoms[i].element != kHydrogen) continue;
        closest_hydrogen_contact = std::min(closest_hydrogen_contact, nearest_distance(atoms, i));
    }
    report_unit_scale_if_bohr(out, closest_hydrogen_contact);
}

std::vector<Finding> lint(const ClusterSpec& spec) {
    FindingList list;
    OrderedFindings out(list);
    // Qualified throughout: the engine's own groups have the same names.
    quorv::check_electron_count(spec, out);
    pairwise::check_bare_heteroatoms(spec, out);
    pairwise::check_metal_coordination(spec, out);
    quorv::check_metal_spin_state(spec, out);
    pairwise::check_overlapping_atoms(spec, out);
    pairwise::check_unit_scale(spec, out);
    out.finish();
    return std::move(list.findings);
}

}  // namespace quorv::geometry::pairwise
