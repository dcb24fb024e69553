// unit-scale, preview: the geometry looks like bohr when no hydrogen ("H"
// exactly) has a partner within its pair's reach (the two covalent radii
// plus a tolerance). Each hydrogen is judged by its own partner, so a real
// hydride's long bond (Li-H 1.60 Å, H-I 1.61 Å) counts. The message gives
// the closest hydrogen contact, the pair and the reach it exceeds.
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "lib/geometry/distance.h"
#include "lib/geometry/thresholds.h"
#include "lib/rules/preview/preview_rules.h"

namespace quorv {

namespace {

constexpr int kHydrogenNumber = 1;

// The atom at exactly `distance` from atoms[atom], the lowest index first.
std::size_t atom_at(std::span<const Atom> atoms, std::size_t atom, double distance) {
    for (std::size_t other = 0; other < atoms.size(); ++other) {
        if (other != atom && geometry::distance(atoms[atom], atoms[other]) == distance) return other;
    }
    return atom;  // not reached: the distance was measured to some other atom
}

}  // namespace

void check_hydrogen_reach(const PreviewCluster& cluster, OrderedFindings& out) {
    const auto atoms = cluster.atoms();
    std::vector<std::size_t> hydrogens;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (cluster.element(i) != kHydrogenNumber) continue;
        if (cluster.has_partner(i)) return;
        hydrogens.push_back(i);
    }
    // Every hydrogen is unbonded: find the closest hydrogen contact.
    double closest = std::numeric_limits<double>::infinity();
    std::optional<std::size_t> closest_hydrogen;
    for (const std::size_t h : hydrogens) {
        const double nearest = cluster.grid().nearest_distance_below(h, closest);
        if (nearest < closest) {
            closest = nearest;
            closest_hydrogen = h;
        }
    }
    if (!closest_hydrogen || !std::isfinite(closest)) return;
    // Once per cluster, so a scan is cheap enough to name the partner.
    const std::size_t h = *closest_hydrogen;
    const auto contact = cluster.bonds().closest_contact(h);
    const std::size_t partner = contact ? contact->atom : atom_at(atoms, h, closest);
    out.add(make_finding(messages::kUnitScaleBeyondPairReach, {}, closest, cluster.pair_name(partner, h),
                         cluster.reach().between(h, partner), closest * geometry::kBohrToAngstrom));
}

}  // namespace quorv
