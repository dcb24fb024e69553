// metal-uncoordinated, metal-low-coordination, preview: every d- and f-block
// metal and every metal of the p block (Al, Ga, In, Sn, Tl, Pb, Bi, Po and
// the superheavy ones) counts as neighbours the atoms within its pair's
// reach: the two covalent radii plus a tolerance, a larger one for the
// metals of the sixth and seventh periods (Au-Au, Pb-I and Hg-Cl bonds run
// long). None: it is floating (error); one: verify (warning). The messages
// name the pair and the distance judged by. A cluster of one atom (an atom
// calculation) is not judged, nor the one neighbour of a diatomic molecule.
#include "lib/periodic_table.h"
#include "lib/rules/preview/preview_rules.h"

namespace quorv {

void check_metal_neighbours(const PreviewCluster& cluster, OrderedFindings& out) {
    const auto atoms = cluster.atoms();
    if (atoms.size() < 2) return;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (!is_transition_or_post_transition_metal(cluster.element(i))) continue;
        // Only none, one or more than one partner make a difference.
        const std::size_t partners = cluster.partner_count(i, 2);
        if (partners == 0) {
            const PreviewCluster::Miss miss = cluster.miss(i);
            out.add(make_finding(messages::kMetalUncoordinatedWithinPairReach, Location::of_atoms(i),
                                 atoms[i].element, i, miss.reach, miss.pair, miss.nearest));
        } else if (partners == 1 && atoms.size() > 2) {
            const std::size_t neighbour = cluster.bonds().partners(i).front().atom;
            out.add(make_finding(messages::kMetalLowCoordinationWithinPairReach, Location::of_atoms(i),
                                 atoms[i].element, i, cluster.reach().between(i, neighbour),
                                 cluster.pair_name(i, neighbour)));
        }
    }
}

}  // namespace quorv
