#include "lib/geometry/periodic_neighbours.h"

#include <algorithm>

#include "lib/geometry/listed_neighbours.h"
#include "lib/geometry/thresholds.h"

namespace quorv::geometry {

namespace {
constexpr double kPairColumnWidth = 1.0;
// The far list reaches a little beyond the shortest lattice vector, so that
// an atom's nearest image is in it whatever the rounding of its position.
constexpr double kFarMarginSlack = 1e-6;
}  // namespace

PeriodicNeighbours::PeriodicNeighbours(std::span<const Atom> atoms, const PeriodicCell& cell)
    : atoms_(atoms), cell_(cell), near_(atoms, cell, kCoordinationRadius) {}

const NeighbourGrid& PeriodicNeighbours::near_grid() {
    if (!near_grid_) near_grid_.emplace(near_.atoms(), kColumnWidth);
    return *near_grid_;
}

const NeighbourGrid& PeriodicNeighbours::far_grid() {
    if (!far_grid_) {
        const double margin = std::max(cell_.shortest_period(), kCoordinationRadius) * (1.0 + kFarMarginSlack);
        far_.emplace(atoms_, cell_, margin);
        far_grid_.emplace(far_->atoms(), kColumnWidth);
    }
    return *far_grid_;
}

bool PeriodicNeighbours::has_neighbour_within(std::size_t index, double radius) {
    const std::span<const Atom> moved = near_.atoms().first(near_.original_count());
    return has_listed_neighbour_within(moved, index, radius) || near_grid().has_neighbour_within(index, radius);
}

std::size_t PeriodicNeighbours::count_neighbours_within(std::size_t index, double radius, std::size_t enough) {
    const std::span<const Atom> moved = near_.atoms().first(near_.original_count());
    const std::size_t listed = count_listed_neighbours_within(moved, index, radius, enough);
    return listed >= enough ? listed : near_grid().count_neighbours_within(index, radius, enough);
}

double PeriodicNeighbours::nearest_distance(std::size_t index) {
    const double near = near_grid().nearest_distance(index);
    // Every image within the margin is in the near list, so a nearest
    // distance below the margin is the true one.
    if (near < kCoordinationRadius) return near;
    return far_grid().nearest_distance(index);
}

double PeriodicNeighbours::nearest_distance_below(std::size_t index, double bound) {
    const double near = near_grid().nearest_distance_below(index, std::min(bound, kCoordinationRadius));
    if (near < kCoordinationRadius || bound <= kCoordinationRadius) return near;
    return far_grid().nearest_distance_below(index, bound);
}

std::vector<AtomPair> PeriodicNeighbours::pairs_closer_than(double limit) const {
    if (near_.atoms().size() < 2) return {};
    std::vector<AtomPair> pairs;
    const std::size_t count = near_.original_count();
    for (const AtomPair& pair : NeighbourGrid(near_.atoms(), kPairColumnWidth).pairs_closer_than(limit)) {
        // Moved atoms come before all images, so a pair with a moved atom has
        // it first. A pair of images repeats a pair of a moved atom and an
        // image; the pair of atom j and an image of atom i < j repeats that of
        // atom i and an image of atom j.
        if (pair.first >= count) continue;
        const std::size_t other = near_.original_of(pair.second);
        if (other <= pair.first) continue;
        pairs.push_back({pair.first, other, pair.distance});
    }
    // The shortest image of each pair, once.
    std::sort(pairs.begin(), pairs.end(), [](const AtomPair& a, const AtomPair& b) {
        if (a.first != b.first) return a.first < b.first;
        if (a.second != b.second) return a.second < b.second;
        return a.distance < b.distance;
    });
    pairs.erase(std::unique(pairs.begin(), pairs.end(),
                            [](const AtomPair& a, const AtomPair& b) {
                                return a.first == b.first && a.second == b.second;
                            }),
                pairs.end());
    return pairs;
}

}  // namespace quorv::geometry
