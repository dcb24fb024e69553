// bare-heteroatom: a C, N, O, P or S atom with no other atom within its
// bonding cutoff (1.75 Å for C, N, O; 1.95 Å for P, S; a partner exactly at
// the cutoff counts) is a bare oxygen, a carbon whose hydrogens went missing,
// or a fragment cut through a bond. The message gives the nearest distance.
#include "lib/elements.h"
#include "lib/geometry/listed_neighbours.h"
#include "lib/rules/rules.h"

namespace quorv {

void report_bare_heteroatom(OrderedFindings& out, std::span<const Atom> atoms, std::size_t index, double cutoff,
                            double nearest) {
    out.add(make_finding(messages::kBareHeteroatom, Location::of_atoms(index), index, atoms[index].element, cutoff,
                         nearest));
}

void check_bare_heteroatoms(const ClusterSpec& spec, OrderedFindings& out) {
    const std::span<const Atom> atoms(spec.atoms);
    geometry::LazyGrid grid(atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const auto cutoff = bonding_cutoff(atoms[i].element);
        if (!cutoff || geometry::has_listed_neighbour_within(atoms, i, *cutoff) ||
            grid->has_neighbour_within(i, *cutoff)) {
            continue;
        }
        // Only a lone atom needs its nearest distance, however far that is.
        report_bare_heteroatom(out, atoms, i, *cutoff, grid->nearest_distance(i));
    }
}

}  // namespace quorv
