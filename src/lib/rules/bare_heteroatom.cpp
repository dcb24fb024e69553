// bare-heteroatom: a C, N, O, P or S atom with no other atom within its
// bonding cutoff (1.75 Å for C, N, O; 1.95 Å for P, S; a partner exactly at
// the cutoff counts) is a bare oxygen, a carbon whose hydrogens went missing,
// or a fragment cut through a bond. The message gives the nearest distance.
//
// In a periodic frame an atom's own images are partners like any other atom.
#include "lib/geometry/molecule_neighbours.h"
#include "lib/geometry/periodic_neighbours.h"
#include "lib/rules/atom_elements.h"
#include "lib/rules/rules.h"

namespace quorv {

void report_bare_heteroatom(OrderedFindings& out, std::span<const Atom> atoms, std::size_t index, double cutoff,
                            double nearest) {
    out.add(make_finding(messages::kBareHeteroatom, Location::of_atoms(index), index, atoms[index].element, cutoff,
                         nearest));
}

namespace {

template <typename Neighbours>
void check_each_heteroatom(const AtomElements& elements, Neighbours& neighbours, OrderedFindings& out) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const auto cutoff = elements.facts(i).known_bonding_cutoff();
        if (!cutoff || neighbours.has_neighbour_within(i, *cutoff)) continue;
        // Only a lone atom needs its nearest distance, however far that is.
        report_bare_heteroatom(out, elements.atoms(), i, *cutoff, neighbours.nearest_distance(i));
    }
}

}  // namespace

void check_bare_heteroatoms(const AtomElements& elements, geometry::MoleculeNeighbours& neighbours,
                            OrderedFindings& out) {
    check_each_heteroatom(elements, neighbours, out);
}

void check_bare_heteroatoms(const AtomElements& elements, geometry::PeriodicNeighbours& neighbours,
                            OrderedFindings& out) {
    check_each_heteroatom(elements, neighbours, out);
}

}  // namespace quorv
