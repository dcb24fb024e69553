// What the preview rules read about a cluster: each atom's element, how far
// its bonds reach, and which atoms it is bonded to. Atoms i and j are
// bonded within their covalent radii plus a tolerance (see PreviewTolerances).
//
// Bonding partners are looked for where they usually are, among the atoms
// listed next to an atom; a question those leave open goes to the spatial
// index, and only one that stays open after that builds the whole bond
// graph. The answers are the bond graph's either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/bond_graph.h"
#include "lib/geometry/listed_neighbours.h"
#include "lib/geometry/neighbour_grid.h"
#include "lib/rules/preview/preview.h"

namespace quorv {

class PreviewCluster {
public:
    PreviewCluster(const ClusterSpec& spec, const PreviewTolerances& tolerances, PreviewShortcuts shortcuts);

    const ClusterSpec& spec() const { return spec_; }
    std::span<const Atom> atoms() const { return spec_.atoms; }
    const PreviewTolerances& tolerances() const { return tolerances_; }

    // The atomic number of each atom, 0 for a symbol that is no element's.
    int element(std::size_t atom) const { return elements_[atom]; }
    const geometry::BondReach& reach() const { return reach_; }

    bool has_partner(std::size_t atom) const { return partner_count(atom, 1) == 1; }
    // How many atoms `atom` is bonded to, counting no further than `enough`.
    std::size_t partner_count(std::size_t atom, std::size_t enough) const;
    // Calls visit(partner, distance) for the partners listed next to the
    // atom: some or all of its partners.
    template <typename Visit>
    void visit_listed_partners(std::size_t atom, Visit&& visit) const;

    // Every bond, worked out on first use.
    const geometry::BondGraph& bonds() const;
    const geometry::NeighbourGrid& grid() const;

    // How an atom with no partner misses one: the distance it would be
    // bonded within, the pair that distance is for ("C–Cl"), and the
    // nearest distance. Without an atom within the longest reach, the
    // distance is that reach.
    struct Miss {
        double reach;
        std::string pair;
        double nearest;
    };
    Miss miss(std::size_t atom) const;

    // "C–Cl": the symbols of two atoms, joined by an en dash.
    std::string pair_name(std::size_t atom, std::size_t other) const;

private:
    // Every partner of the atom lies within `upper` of it, and every atom within `lower` is one.
    struct ReachBounds {
        double lower;
        double upper;
    };
    ReachBounds reach_bounds(std::size_t atom) const;

    const ClusterSpec& spec_;
    PreviewTolerances tolerances_;
    PreviewShortcuts shortcuts_;
    std::vector<std::uint8_t> elements_;
    geometry::BondReach reach_;
    double smallest_radius_ = 0.0;
    double largest_radius_ = 0.0;
    double widest_tolerance_ = 0.0;
    double longest_reach_ = 0.0;
    mutable std::optional<geometry::NeighbourGrid> grid_;
    mutable std::optional<geometry::BondGraph> bonds_;
};

template <typename Visit>
void PreviewCluster::visit_listed_partners(std::size_t atom, Visit&& visit) const {
    if (shortcuts_ == PreviewShortcuts::None) return;
    const std::size_t from = atom - std::min(atom, geometry::kListedNeighbours);
    const std::size_t to = std::min(spec_.atoms.size(), atom + geometry::kListedNeighbours + 1);
    for (std::size_t other = from; other < to; ++other) {
        if (other == atom) continue;
        const double distance = geometry::distance(spec_.atoms[atom], spec_.atoms[other]);
        if (distance <= reach_.between(atom, other)) visit(other, distance);
    }
}

}  // namespace quorv
