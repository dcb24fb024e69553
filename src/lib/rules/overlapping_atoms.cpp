// overlapping-atoms: two atoms closer than 0.5 Å (strictly) cannot both be
// real: no bond is that short (H-H is 0.74 Å). Every such pair is reported,
// in the order (0,1), (0,2), ..., (1,2), ...; nothing is merged or capped.
// In a periodic frame a pair is measured at its shortest image and reported
// once; an atom is never paired with its own image, since no cell is read
// that is thinner than the overlap distance.
#include "lib/geometry/molecule_neighbours.h"
#include "lib/geometry/periodic_neighbours.h"
#include "lib/geometry/thresholds.h"
#include "lib/rules/rules.h"

namespace quorv {

void report_overlapping_atoms(OrderedFindings& out, std::span<const Atom> atoms, std::size_t first,
                              std::size_t second, double distance) {
    out.add(make_finding(messages::kOverlappingAtoms, Location::of_atoms(first, second), first,
                         atoms[first].element, second, atoms[second].element, distance));
}

namespace {

template <typename Neighbours>
void check_each_pair(std::span<const Atom> atoms, const Neighbours& neighbours, OrderedFindings& out) {
    // Each pair is reported as it is found, so that the many pairs of a
    // crowded cluster are never all held at once.
    neighbours.report_pairs_closer_than(geometry::kOverlapDistance, [&](const geometry::AtomPair& pair) {
        report_overlapping_atoms(out, atoms, pair.first, pair.second, pair.distance);
    });
}

}  // namespace

void check_overlapping_atoms(const ClusterSpec& spec, OrderedFindings& out) {
    check_overlapping_atoms(spec.atoms, geometry::MoleculeNeighbours(spec.atoms), out);
}

void check_overlapping_atoms(std::span<const Atom> atoms, const geometry::MoleculeNeighbours& neighbours,
                             OrderedFindings& out) {
    check_each_pair(atoms, neighbours, out);
}

void check_overlapping_atoms(std::span<const Atom> atoms, const geometry::PeriodicNeighbours& neighbours,
                             OrderedFindings& out) {
    check_each_pair(atoms, neighbours, out);
}

}  // namespace quorv
