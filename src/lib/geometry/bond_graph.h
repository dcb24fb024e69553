// Which atoms are bonded, judged pair by pair: atoms i and j are bonded when
// their distance is at most radius[i] + radius[j] + the larger of the two
// atoms' tolerances. Built from the close pairs a spatial index lists, so
// it costs about as much as there are close pairs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "lib/geometry/distance.h"

namespace quorv::geometry {

// How far each atom's bonds reach.
struct BondReach {
    std::vector<double> radius;
    std::vector<double> tolerance;

    double between(std::size_t i, std::size_t j) const {
        return (radius[i] + radius[j]) + std::max(tolerance[i], tolerance[j]);
    }
    // No pair reaches further (0 for fewer than two atoms).
    double longest() const;
};

class BondGraph {
public:
    struct Partner {
        std::uint32_t atom;
        double distance;
    };

    // `close_pairs` must hold every pair within the longest reach, as
    // NeighbourGrid::pairs_closer_than lists them (ordered by first, then
    // second atom); pairs further apart may be among them.
    BondGraph(std::span<const AtomPair> close_pairs, const BondReach& reach);

    // The atoms bonded to `atom`, by increasing index.
    std::span<const Partner> partners(std::size_t atom) const {
        return std::span(partners_).subspan(first_partner_[atom], first_partner_[atom + 1] - first_partner_[atom]);
    }

    // The nearest other atom among the close pairs (the lower index on a
    // tie); none when no pair names the atom.
    std::optional<Partner> closest_contact(std::size_t atom) const {
        if (closest_[atom].atom == kNoAtom) return std::nullopt;
        return closest_[atom];
    }

private:
    static constexpr std::uint32_t kNoAtom = ~std::uint32_t{0};

    std::vector<std::size_t> first_partner_;  // one per atom and one more
    std::vector<Partner> partners_;
    std::vector<Partner> closest_;
};

}  // namespace quorv::geometry
