// bare-heteroatom, preview: every atom of a non-metal or metalloid that
// bonds (B, C, N, O, F, Si, P, S, Cl, Ge, As, Se, Br, Sb, Te, I, At, Ts)
// needs a partner within its pair's reach, the two covalent radii plus a
// tolerance, so that C-Cl, S-S or P-S bonds count and a carbon beside a
// chlorine it is not bonded to does not. The message names the pair and
// the distance it judged by. Not judged: a cluster of one atom (an atom
// calculation), and free halides as long as the declared charge is negative
// enough to make them all anions.
#include <cstdint>
#include <vector>

#include "lib/periodic_table.h"
#include "lib/rules/preview/preview_rules.h"

namespace quorv {

namespace {

// How many free halide anions the declared charge accounts for.
std::uint64_t anions_declared(const ClusterSpec& spec) {
    if (!spec.charge || *spec.charge >= 0) return 0;
    return std::uint64_t{0} - static_cast<std::uint64_t>(*spec.charge);
}

}  // namespace

void check_bare_atoms(const PreviewCluster& cluster, OrderedFindings& out) {
    const auto atoms = cluster.atoms();
    if (atoms.size() < 2) return;
    std::vector<std::size_t> bare;
    std::uint64_t bare_halogens = 0;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (!is_bonding_non_metal(cluster.element(i)) || cluster.has_partner(i)) continue;
        bare.push_back(i);
        if (is_halogen(cluster.element(i))) ++bare_halogens;
    }
    const bool halides_are_anions = bare_halogens <= anions_declared(cluster.spec());
    for (const std::size_t i : bare) {
        if (halides_are_anions && is_halogen(cluster.element(i))) continue;
        const PreviewCluster::Miss miss = cluster.miss(i);
        out.add(make_finding(messages::kBareAtomWithinPairReach, Location::of_atoms(i), i, atoms[i].element,
                             miss.reach, miss.pair, miss.nearest));
    }
}

}  // namespace quorv
