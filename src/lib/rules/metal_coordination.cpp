// metal-uncoordinated, metal-low-coordination: a metal atom (Fe, Co, Ni, Cu,
// Zn, Ag, Cd, Au, Hg, Pb, Pt, Ir, Mn) counts the other atoms within 2.7 Å,
// inclusive, of any element. None: it is floating (error). One: a
// coordination that is rarely intended (warning).
#include "lib/elements.h"
#include "lib/geometry/listed_neighbours.h"
#include "lib/geometry/thresholds.h"
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

void check_metal_coordination(const ClusterSpec& spec, OrderedFindings& out) {
    const std::span<const Atom> atoms(spec.atoms);
    geometry::LazyGrid grid(atoms);
    // Only none, one or more than one neighbour make a difference.
    constexpr std::size_t kEnoughNeighbours = 2;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (!is_metal(atoms[i].element)) continue;
        std::size_t neighbours =
            geometry::count_listed_neighbours_within(atoms, i, geometry::kCoordinationRadius, kEnoughNeighbours);
        if (neighbours < kEnoughNeighbours) {
            neighbours = grid->count_neighbours_within(i, geometry::kCoordinationRadius, kEnoughNeighbours);
        }
        report_metal_coordination(out, atoms, i, neighbours);
    }
}

}  // namespace quorv
