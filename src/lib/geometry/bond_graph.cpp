#include "lib/geometry/bond_graph.h"

#include <limits>

namespace quorv::geometry {

double BondReach::longest() const {
    // Over the kinds present, two atoms of a kind only when it has two.
    std::array<std::size_t, kKinds> atoms_of_kind{};
    for (const std::uint8_t kind : kind_of_atom) ++atoms_of_kind[kind];
    double longest = 0.0;
    for (std::size_t a = 0; a < kKinds; ++a) {
        if (atoms_of_kind[a] == 0) continue;
        for (std::size_t b = a; b < kKinds; ++b) {
            if (atoms_of_kind[b] == 0 || (a == b && atoms_of_kind[a] < 2)) continue;
            longest = std::max(longest, (radius[a] + radius[b]) + std::max(tolerance[a], tolerance[b]));
        }
    }
    return longest;
}

BondGraph::BondGraph(std::span<const AtomPair> close_pairs, const BondReach& reach) {
    const std::size_t count = reach.kind_of_atom.size();
    closest_.assign(count, Partner{kNoAtom, std::numeric_limits<double>::infinity()});
    std::vector<std::size_t> degree(count + 1, 0);
    // An atom meets its partners in index order (see below), so keeping the
    // first of equal distances keeps the lowest index.
    const auto closer = [&](std::size_t atom, std::size_t other, double distance) {
        if (distance < closest_[atom].distance) closest_[atom] = {static_cast<std::uint32_t>(other), distance};
    };
    for (const AtomPair& pair : close_pairs) {
        closer(pair.first, pair.second, pair.distance);
        closer(pair.second, pair.first, pair.distance);
        if (pair.distance <= reach.between(pair.first, pair.second)) {
            ++degree[pair.first + 1];
            ++degree[pair.second + 1];
        }
    }
    first_partner_.resize(count + 1);
    std::size_t running = 0;
    for (std::size_t i = 0; i <= count; ++i) {
        running += degree[i];
        first_partner_[i] = running;
    }
    partners_.resize(first_partner_[count]);
    std::vector<std::size_t> next(first_partner_.begin(), first_partner_.end() - 1);
    // In pair order, an atom's lower partners (pairs where it is second)
    // come before its higher ones, each group by increasing index.
    for (const AtomPair& pair : close_pairs) {
        if (pair.distance > reach.between(pair.first, pair.second)) continue;
        partners_[next[pair.first]++] = {static_cast<std::uint32_t>(pair.second), pair.distance};
        partners_[next[pair.second]++] = {static_cast<std::uint32_t>(pair.first), pair.distance};
    }
}

}  // namespace quorv::geometry
