#include "dataset/shortest_contacts.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <vector>

#include "lib/elements.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/listed_neighbours.h"
#include "lib/geometry/neighbour_grid.h"
#include "lib/geometry/periodic_neighbours.h"

namespace quorv::dataset {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Below this many atoms comparing every pair is cheaper than building an index.
constexpr std::size_t kPairwiseAtoms = 48;

bool is_hydrogen(const Atom& atom) { return atom.element == kHydrogen; }

// std::min keeps its first argument when the second is NaN.
void lower(double& value, double candidate) { value = std::min(value, candidate); }

ShortestContacts pairwise_contacts(std::span<const Atom> atoms) {
    ShortestContacts contacts{kInfinity, kInfinity};
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        for (std::size_t j = i + 1; j < atoms.size(); ++j) {
            const double d = geometry::distance(atoms[i], atoms[j]);
            const bool hydrogen_i = is_hydrogen(atoms[i]);
            const bool hydrogen_j = is_hydrogen(atoms[j]);
            if (hydrogen_i || hydrogen_j) {
                lower(contacts.hydrogen, d);
            } else {
                lower(contacts.heavy, d);
            }
        }
    }
    return contacts;
}

// The closest contact between two heavy atoms, when below `bound`, over a
// spatial index of them alone: `Index(atoms, extra)`, the molecule's grid or
// the periodic images' neighbours.
template <typename Index, typename Extra>
double heavy_contact_below(std::span<const Atom> atoms, const Extra& extra, double bound) {
    std::vector<Atom> heavy;
    std::copy_if(atoms.begin(), atoms.end(), std::back_inserter(heavy),
                 [](const Atom& atom) { return !is_hydrogen(atom); });
    if (heavy.empty()) return bound;
    Index heavy_only(heavy, extra);
    for (std::size_t i = 0; i < heavy.size(); ++i) lower(bound, heavy_only.nearest_distance_below(i, bound));
    return bound;
}

ShortestContacts indexed_contacts(std::span<const Atom> atoms) {
    ShortestContacts contacts{kInfinity, kInfinity};
    {
        const geometry::NeighbourGrid all(atoms, geometry::kColumnWidth);
        for (std::size_t i = 0; i < atoms.size(); ++i) {
            if (is_hydrogen(atoms[i])) lower(contacts.hydrogen, all.nearest_distance_below(i, contacts.hydrogen));
        }
    }
    contacts.heavy = heavy_contact_below<const geometry::NeighbourGrid>(atoms, geometry::kColumnWidth, kInfinity);
    return contacts;
}

bool is_finite(const Atom& atom) { return std::isfinite(atom.x) && std::isfinite(atom.y) && std::isfinite(atom.z); }

// An atom's nearest own image is one shortest lattice vector away: that
// bounds every search, and settles the heavy contact of a frame with a
// single heavy atom (a small molecule in a large box) without one.
ShortestContacts periodic_contacts(std::span<const Atom> atoms, const geometry::PeriodicCell& cell) {
    ShortestContacts contacts{kInfinity, kInfinity};
    std::size_t finite_heavy = 0;
    for (const Atom& atom : atoms) {
        if (!is_finite(atom)) continue;  // such an atom has no images
        if (is_hydrogen(atom)) {
            contacts.hydrogen = cell.shortest_period();
        } else {
            contacts.heavy = cell.shortest_period();
            ++finite_heavy;
        }
    }
    if (contacts.hydrogen != kInfinity) {
        geometry::PeriodicNeighbours all(atoms, cell);
        for (std::size_t i = 0; i < atoms.size(); ++i) {
            if (is_hydrogen(atoms[i])) lower(contacts.hydrogen, all.nearest_distance_below(i, contacts.hydrogen));
        }
    }
    if (finite_heavy > 1) {
        contacts.heavy = heavy_contact_below<geometry::PeriodicNeighbours>(atoms, cell, contacts.heavy);
    }
    return contacts;
}

}  // namespace

ShortestContacts shortest_contacts(std::span<const Atom> atoms, const std::optional<geometry::PeriodicCell>& cell) {
    if (cell) return periodic_contacts(atoms, *cell);
    return atoms.size() < kPairwiseAtoms ? pairwise_contacts(atoms) : indexed_contacts(atoms);
}

}  // namespace quorv::dataset
