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
    std::vector<AtomPair> pairs;
    report_pairs_closer_than(limit, [&](const AtomPair& pair) { pairs.push_back(pair); });
    return pairs;
}

void PeriodicNeighbours::report_pairs_closer_than(double limit,
                                                  const std::function<void(const AtomPair&)>& report) const {
    if (near_.images.atoms().size() < 2) return;
    const std::size_t count = near_.images.original_count();
    // The pairs of one moved atom, to be reported at the shortest image of each partner.
    std::vector<AtomPair> pending;
    const auto report_pending = [&] {
        std::sort(pending.begin(), pending.end(), [](const AtomPair& a, const AtomPair& b) {
            return a.second < b.second || (a.second == b.second && a.distance < b.distance);
        });
        for (std::size_t k = 0; k < pending.size(); ++k) {
            if (k == 0 || pending[k].second != pending[k - 1].second) report(pending[k]);
        }
        pending.clear();
    };
    near_.grid.report_pairs_closer_than(limit, [&](const AtomPair& pair) {
        // Moved atoms come before all images, so a pair with a moved atom has
        // it first. A pair of images repeats a pair of a moved atom and an
        // image; the pair of atom j and an image of atom i < j repeats that of
        // atom i and an image of atom j.
        if (pair.first >= count) return;
        const std::size_t other = near_.images.original_of(pair.second);
        if (other <= pair.first) return;
        if (!pending.empty() && pending.front().first != pair.first) report_pending();
        pending.push_back({pair.first, other, pair.distance});
    });
    report_pending();
}

}  // namespace quorv::geometry
