// unit-scale: when the closest contact of any hydrogen ("H" exactly) with
// any other atom is longer than 1.5 Å, no hydrogen is bonded, which is what
// a geometry in bohr read as ångström looks like. One warning per cluster,
// with the contact and what it would be in ångström. A cluster without a
// hydrogen with a measurable partner says nothing about units. In a periodic
// frame a hydrogen's own images are contacts like any other atom.
#include <cmath>
#include <limits>

#include "lib/geometry/molecule_neighbours.h"
#include "lib/geometry/periodic_neighbours.h"
#include "lib/geometry/thresholds.h"
#include "lib/rules/atom_elements.h"
#include "lib/rules/rules.h"

namespace quorv {

void report_unit_scale_if_bohr(OrderedFindings& out, double closest_hydrogen_contact) {
    if (std::isfinite(closest_hydrogen_contact) && closest_hydrogen_contact > geometry::kUnitScaleThreshold) {
        out.add(make_finding(messages::kUnitScale, {}, closest_hydrogen_contact,
                             closest_hydrogen_contact * geometry::kBohrToAngstrom));
    }
}

namespace {

template <typename Neighbours>
void check_hydrogen_contacts(const AtomElements& elements, Neighbours& neighbours, OrderedFindings& out) {
    // One hydrogen with a partner within the threshold settles it: the
    // closest hydrogen contact can be no longer, and no finding follows.
    // In a geometry in ångström the first hydrogen usually does.
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements.is_hydrogen(i) && neighbours.has_neighbour_within(i, geometry::kUnitScaleThreshold)) return;
    }
    // Every hydrogen is far from everything: the closest contact is needed
    // exactly, and each search can stop at the closest one found so far.
    double closest_hydrogen_contact = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (!elements.is_hydrogen(i)) continue;
        closest_hydrogen_contact =
            std::min(closest_hydrogen_contact, neighbours.nearest_distance_below(i, closest_hydrogen_contact));
    }
    report_unit_scale_if_bohr(out, closest_hydrogen_contact);
}

}  // namespace

void check_unit_scale(const AtomElements& elements, geometry::MoleculeNeighbours& neighbours, OrderedFindings& out) {
    check_hydrogen_contacts(elements, neighbours, out);
}

void check_unit_scale(const AtomElements& elements, geometry::PeriodicNeighbours& neighbours, OrderedFindings& out) {
    check_hydrogen_contacts(elements, neighbours, out);
}

}  // namespace quorv
