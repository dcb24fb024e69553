#include "dataset/shortest_contacts.h"

#include <algorithm>
#include <cstddef>
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

// Over a spatial index `Index(atoms, extra)`: the molecule's grid or the periodic images' neighbours.
template <typename Index, typename Extra>
ShortestContacts indexed_contacts(std::span<const Atom> atoms, const Extra& extra) {
    ShortestContacts contacts{kInfinity, kInfinity};
    std::vector<Atom> heavy;
    {
        Index all(atoms, extra);
        for (std::size_t i = 0; i < atoms.size(); ++i) {
            if (is_hydrogen(atoms[i])) {
                lower(contacts.hydrogen, all.nearest_distance_below(i, contacts.hydrogen));
            } else {
                heavy.push_back(atoms[i]);
            }
        }
    }
    if (heavy.empty()) return contacts;
    Index heavy_only(heavy, extra);
    for (std::size_t i = 0; i < heavy.size(); ++i) {
        lower(contacts.heavy, heavy_only.nearest_distance_below(i, contacts.heavy));
    }
    return contacts;
}

}  // namespace

ShortestContacts shortest_contacts(std::span<const Atom> atoms, const std::optional<geometry::PeriodicCell>& cell) {
    if (cell) return indexed_contacts<geometry::PeriodicNeighbours>(atoms, *cell);
    if (atoms.size() < kPairwiseAtoms) return pairwise_contacts(atoms);
    return indexed_contacts<const geometry::NeighbourGrid>(atoms, geometry::kColumnWidth);
}

}  // namespace quorv::dataset
