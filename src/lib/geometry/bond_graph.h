// Which atoms are bonded, judged pair by pair: atoms i and j are bonded when
// their distance is at most radius[i] + radius[j] + the larger of the two
// atoms' tolerances. Built from the close pairs a spatial index lists, so
// it costs about as much as there are close pairs.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "lib/geometry/distance.h"

namespace quorv::geometry {

// How far each atom's bonds reach: every atom is of a kind (its element),
// and each kind has a radius and a tolerance.
struct BondReach {
    static constexpr std::size_t kKinds = 256;

    std::span<const std::uint8_t> kind_of_atom;
    std::array<double, kKinds> radius{};
    std::array<double, kKinds> tolerance{};

    double radius_of(std::size_t atom) const { return radius[kind_of_atom[atom]]; }
    double between(std::size_t i, std::size_t j) const {
        const std::uint8_t a = kind_of_atom[i];
        const std::uint8_t b = kind_of_atom[j];
        return (radius[a] + radius[b]) + std::max(tolerance[a], tolerance[b]);
    }
    // The reach of the furthest-reaching pair of atoms (0 for fewer than two).
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
