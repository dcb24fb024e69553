// missing-hydrogens (preview only): a C, N or O atom whose bonds add up to
// less than its usual valence (C 4, N 3, O 2) has lost partners, and in a
// structure from a crystal or PDB file, or a fragment cut out of a larger
// one, those are its hydrogens. Bond orders come from the bond lengths by
// Pauling's rule, s = exp((r1 - d) / b) with r1 the sum of the two
// covalent radii, so a C=C or C=O bond counts about twice. Unpaired
// electrons (multiplicity - 1) and charges explain a shortfall of one each;
// the cluster is reported (once, at its most short atom) when what they
// leave unexplained reaches the tolerance. Atoms with no partner at all are
// left to bare-heteroatom. A cluster of one atom is not judged.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "lib/rules/preview/preview_rules.h"

namespace quorv {

namespace {

// Pauling's 0.71 Å per tenfold bond order, as the length of an e-fold one.
constexpr double kBondOrderLength = 0.71 / 2.302585092994046;

constexpr int kCarbon = 6;
constexpr int kNitrogen = 7;
constexpr int kOxygen = 8;

std::optional<double> usual_valence(int z) {
    switch (z) {
        case kCarbon: return 4.0;
        case kNitrogen: return 3.0;
        case kOxygen: return 2.0;
        default: return std::nullopt;
    }
}

double bond_order(const PreviewCluster& cluster, std::size_t atom, std::size_t partner, double distance) {
    const double single_bond = cluster.reach().radius_of(atom) + cluster.reach().radius_of(partner);
    return std::exp((single_bond - distance) / kBondOrderLength);
}

// How far the atom's bond orders fall below its valence, or nothing when
// they fall no further than `per_atom`; none when it has no partner.
std::optional<double> shortfall_of(const PreviewCluster& cluster, std::size_t atom, double valence, double per_atom) {
    // Bonds only add. When the partners listed next to the atom make up
    // its valence, the others need not be found; and since the bond orders
    // are summed in one order (outward through the list), a sum over some of
    // them never exceeds the sum over all, rounding included.
    double listed = 0.0;
    cluster.visit_listed_partners(atom, [&](std::size_t partner, double distance) {
        listed += bond_order(cluster, atom, partner, distance);
        return valence - listed <= per_atom;
    });
    if (valence - listed <= per_atom) return 0.0;
    const auto partners = cluster.bonds().partners(atom);
    if (partners.empty()) return std::nullopt;
    std::vector<geometry::BondGraph::Partner> outward(partners.begin(), partners.end());
    std::sort(outward.begin(), outward.end(), [atom](const auto& a, const auto& b) {
        return listed_nearer(atom, a.atom, b.atom);
    });
    double all = 0.0;
    for (const auto& partner : outward) all += bond_order(cluster, atom, partner.atom, partner.distance);
    return valence - all;
}

// The shortfall that unpaired electrons and charges account for.
std::uint64_t explained_shortfall(const ClusterSpec& spec) {
    std::uint64_t explained = 0;
    if (spec.spin_multiplicity && *spec.spin_multiplicity > 0) explained += *spec.spin_multiplicity - 1;
    if (spec.charge) {
        const auto charge = static_cast<std::uint64_t>(*spec.charge);
        explained += *spec.charge < 0 ? std::uint64_t{0} - charge : charge;
    }
    return explained;
}

}  // namespace

void check_missing_hydrogens(const PreviewCluster& cluster, OrderedFindings& out) {
    const auto atoms = cluster.atoms();
    if (atoms.size() < 2) return;
    const double per_atom = cluster.tolerances().shortfall_per_atom;
    double shortfall = 0.0;
    std::uint64_t short_atoms = 0;
    std::size_t most_short = 0;
    double largest = 0.0;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const auto valence = usual_valence(cluster.element(i));
        if (!valence) continue;
        const auto shortfall_here = shortfall_of(cluster, i, *valence, per_atom);
        if (!shortfall_here || !(*shortfall_here > per_atom)) continue;
        const double missing = *shortfall_here;
        shortfall += missing;
        ++short_atoms;
        if (missing > largest) {
            largest = missing;
            most_short = i;
        }
    }
    const std::uint64_t explained = explained_shortfall(cluster.spec());
    if (short_atoms == 0 || !(shortfall - static_cast<double>(explained) >= cluster.tolerances().shortfall_in_all)) {
        return;
    }
    const Location location = Location::of_atoms(most_short);
    if (short_atoms == 1) {
        return out.add(make_finding(messages::kMissingHydrogensOfOneAtom, location, std::uint64_t{most_short},
                                    atoms[most_short].element, shortfall, explained));
    }
    out.add(make_finding(messages::kMissingHydrogens, location, std::uint64_t{most_short}, atoms[most_short].element,
                         short_atoms - 1, shortfall, explained));
}

}  // namespace quorv
