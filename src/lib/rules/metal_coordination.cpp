// metal-uncoordinated, metal-low-coordination: a metal atom (Fe, Co, Ni, Cu,
// Zn, Ag, Cd, Au, Hg, Pb, Pt, Ir, Mn) counts the other atoms within 2.7 Å,
// inclusive, of any element. None: it is floating (error). One: a
// coordination that is rarely intended (warning). In a periodic frame the
// metal's own images count as neighbours (bulk copper in a one-atom cell).
#include "lib/geometry/molecule_neighbours.h"
#include "lib/geometry/periodic_neighbours.h"
#include "lib/geometry/thresholds.h"
#include "lib/rules/atom_elements.h"
#include "lib/rules/rules.h"

namespace quorv {

void report_metal_coordination(OrderedFindings& out, std::span<const Atom> atoms, std::size_t index,
                               std::size_t neighbours) {
    if (neighbours == 0) {
        out.add(make_finding(messages::kMetalUncoordinated, Location::of_atoms(index), atoms[index].element, index));
    } else if (neighbours == 1) {
        out.add(make_finding(messages::kMetalLowCoordination, Location::of_atoms(index), atoms[index].element, index));
    }
}

namespace {

template <typename Neighbours>
void check_each_metal(const AtomElements& elements, Neighbours& neighbours, OrderedFindings& out) {
    // Only none, one or more than one neighbour make a difference.
    constexpr std::size_t kEnoughNeighbours = 2;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (!elements.is_metal(i)) continue;
        report_metal_coordination(out, elements.atoms(), i,
                                  neighbours.count_neighbours_within(i, geometry::kCoordinationRadius,
                                                                     kEnoughNeighbours));
    }
}

}  // namespace

void check_metal_coordination(const AtomElements& elements, geometry::MoleculeNeighbours& neighbours,
                              OrderedFindings& out) {
    check_each_metal(elements, neighbours, out);
}

void check_metal_coordination(const AtomElements& elements, geometry::PeriodicNeighbours& neighbours,
                              OrderedFindings& out) {
    check_each_metal(elements, neighbours, out);
}

}  // namespace quorv
