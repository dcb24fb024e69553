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
    PreviewCluster(const PreviewCluster&) = delete;
    PreviewCluster& operator=(const PreviewCluster&) = delete;

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
    // atom (some or all of its partners), nearest in the list first (the
    // next atom, the one before, the one after next, ...), until visit
    // returns true. Without shortcuts, for none.
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

// Whether `first` comes before `second` when looking outward from `atom`
// through the list: the order of visit_listed_partners.
inline bool listed_nearer(std::size_t atom, std::size_t first, std::size_t second) {
    const auto gap = [atom](std::size_t other) { return other > atom ? 2 * (other - atom) - 1 : 2 * (atom - other); };
    return gap(first) < gap(second);
}

template <typename Visit>
void PreviewCluster::visit_listed_partners(std::size_t atom, Visit&& visit) const {
    if (shortcuts_ == PreviewShortcuts::None) return;
    const auto partner = [&](std::size_t other) {
        const double distance = geometry::distance(spec_.atoms[atom], spec_.atoms[other]);
        return distance <= reach_.between(atom, other) && visit(other, distance);
    };
    for (std::size_t step = 1; step <= geometry::kListedNeighbours; ++step) {
        if (atom + step < spec_.atoms.size() && partner(atom + step)) return;
        if (step <= atom && partner(atom - step)) return;
    }
}

}  // namespace quorv
