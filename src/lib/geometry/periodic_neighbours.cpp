#include "lib/geometry/periodic_neighbours.h"

#include <algorithm>
#include <limits>

#include "lib/geometry/listed_neighbours.h"
#include "lib/geometry/thresholds.h"

namespace quorv::geometry {

namespace {
// One index serves every question: the close pairs are asked of every atom,
// the other questions only of the few atoms whose listed neighbours do not
// settle them, so the pairs' narrow columns pay (measured on a water box).
constexpr double kImageColumnWidth = 1.0;
// The widest list reaches a little beyond the shortest lattice vector, so
// that an atom's nearest own image is in it whatever the rounding.
constexpr double kWidestMarginSlack = 1e-6;
}  // namespace

PeriodicNeighbours::ImageList::ImageList(std::span<const Atom> atoms, const PeriodicCell& cell, double margin)
    : images(atoms, cell, margin), grid(images.atoms(), kImageColumnWidth) {}

PeriodicNeighbours::PeriodicNeighbours(std::span<const Atom> atoms, const PeriodicCell& cell)
    : atoms_(atoms), cell_(cell), near_(atoms, cell, kCoordinationRadius) {}

double PeriodicNeighbours::widest_margin() const { return cell_.shortest_period() * (1.0 + kWidestMarginSlack); }

const PeriodicNeighbours::ImageList& PeriodicNeighbours::wider_than(const ImageList& list) {
    const double margin = std::min(2 * list.images.margin(), widest_margin());
    if (!far_ || far_->images.margin() < margin) far_.emplace(atoms_, cell_, margin);
    return *far_;
}

bool PeriodicNeighbours::has_neighbour_within(std::size_t index, double radius) {
    return has_listed_neighbour_within(moved_atoms(), index, radius) || near_.grid.has_neighbour_within(index, radius);
}

std::size_t PeriodicNeighbours::count_neighbours_within(std::size_t index, double radius, std::size_t enough) {
    const std::size_t listed = count_listed_neighbours_within(moved_atoms(), index, radius, enough);
    return listed >= enough ? listed : near_.grid.count_neighbours_within(index, radius, enough);
}

double PeriodicNeighbours::nearest_distance(std::size_t index) {
    return nearest_distance_below(index, std::numeric_limits<double>::infinity());
}

double PeriodicNeighbours::nearest_distance_below(std::size_t index, double bound) {
    const ImageList* list = &near_;
    for (;;) {
        const double found = list->grid.nearest_distance_below(index, bound);
        // Every image within the covered radius is in the list: an answer
        // below it is the true one, and so is "nothing below the bound" when
        // the bound lies within it. Past the shortest lattice vector the
        // atom's own image is in the list, so the answer is settled too.
        const double covered = list->images.covered_radius(index);
        if (found < covered || bound <= covered || covered >= widest_margin()) return found;
        list = &wider_than(*list);
    }
}

std::vector<AtomPair> PeriodicNeighbours::pairs_closer_than(double limit) const {
    if (near_.images.atoms().size() < 2) return {};
    std::vector<AtomPair> pairs;
    const std::size_t count = near_.images.original_count();
    for (const AtomPair& pair : near_.grid.pairs_closer_than(limit)) {
        // Moved atoms come before all images, so a pair with a moved atom has
        // it first. A pair of images repeats a pair of a moved atom and an
        // image; the pair of atom j and an image of atom i < j repeats that of
        // atom i and an image of atom j.
        if (pair.first >= count) continue;
        const std::size_t other = near_.images.original_of(pair.second);
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
