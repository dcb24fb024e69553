#include "lib/geometry/neighbour_grid.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "lib/geometry/nearest_tree.h"

namespace quorv::geometry {

namespace {

// A nearest-distance search looks at least this far out, in at least two
// and at most four rings of columns, before it hands over to the tree, which
// needs no empty space to be walked through. Far enough for the nearest
// partner of a lone atom in a liquid (about 3 Å), so that one such atom does
// not build a tree over the whole cluster.
constexpr double kNearReach = 4.0;
constexpr int kFewestNearRings = 2;
constexpr int kMostNearRings = 4;

int near_rings(double width) {
    const double rings = std::ceil(kNearReach / width);
    return rings >= kMostNearRings ? kMostNearRings : std::max(kFewestNearRings, static_cast<int>(rings));
}

// A close partner of one atom, while that atom's pairs are put in order.
struct Partner {
    std::size_t index;
    double distance;
};

std::pair<std::size_t, std::size_t> in_order(std::size_t a, std::size_t b) { return {std::min(a, b), std::max(a, b)}; }

}  // namespace

NeighbourGrid::NeighbourGrid(std::span<const Atom> atoms, double width, GridShape shape)
    : atoms_(atoms), width_(column_width_at_least(width)), grid_(grid_for(atoms, width_, shape)) {}

NeighbourGrid::~NeighbourGrid() = default;

NeighbourGrid::Grid NeighbourGrid::grid_for(std::span<const Atom> atoms, double width, GridShape shape) {
    // Entry positions are 32-bit; so many atoms would need hundreds of
    // gigabytes before they got here.
    if (atoms.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::length_error("too many atoms to index");
    if (shape == GridShape::Dense) {
        if (const auto layout = DenseLayout::fit(atoms, width)) return Grid(std::in_place_type<DenseGrid>, atoms, *layout);
    }
    return Grid(std::in_place_type<SparseGrid>, atoms, width);
}

const NearestTree& NeighbourGrid::tree() const {
    if (!tree_) tree_ = std::make_unique<NearestTree>(atoms_);
    return *tree_;
}

std::size_t NeighbourGrid::count_neighbours_within(std::size_t index, double radius, std::size_t enough) const {
    // No distance is <= a negative or NaN radius.
    if (enough == 0 || !(radius >= 0.0)) return 0;
    return std::visit(
        [&](const auto& grid) -> std::size_t {
            if (!grid.is_indexed(index)) return 0;
            std::size_t neighbours = 0;
            grid.visit_atoms_near(index, search_window(radius), [&](std::size_t other) {
                if (distance(atoms_[index], atoms_[other]) <= radius) ++neighbours;  // false for NaN
                return neighbours >= enough;
            });
            return neighbours;
        },
        grid_);
}

bool NeighbourGrid::has_neighbour_within(std::size_t index, double radius) const {
    return count_neighbours_within(index, radius, 1) >= 1;
}

double NeighbourGrid::nearest_distance_below(std::size_t index, double bound) const {
    bool settled = false;
    const double nearest = std::visit(
        [&](const auto& grid) {
            if (!grid.is_indexed(index)) {
                settled = true;
                return std::numeric_limits<double>::infinity();
            }
            double nearest = bound;
            const auto measure = [&](std::size_t other) {
                const double d = distance(atoms_[index], atoms_[other]);
                if (d < nearest) nearest = d;  // false for NaN: the minimum keeps its value
                return false;
            };
            // Widening windows: the columns `ring` away, and along z as far.
            // What lies outside is `ring` widths away or more in some
            // coordinate, so at least length(ring widths) away; once the
            // nearest is no farther, it is final.
            for (int ring = 1, rings = near_rings(width_); ring <= rings && !settled; ++ring) {
                const double slab = ring * width_;
                grid.visit_atoms_near(index, std::min(slab, search_window(nearest)), measure);
                settled = nearest <= length(slab, 0.0, 0.0);
            }
            return nearest;
        },
        grid_);
    return settled ? nearest : tree().nearest_distance_below(index, nearest);
}

std::vector<AtomPair> NeighbourGrid::pairs_closer_than(double limit) const {
    std::vector<AtomPair> pairs;
    if (!(limit > 0.0)) return pairs;  // no distance is below zero or NaN
    std::visit(
        [&](const auto& grid) {
            grid.visit_close_candidates(search_window(limit), [&](std::size_t a, std::size_t b) {
                const auto [first, second] = in_order(a, b);
                const double d = distance(atoms_[first], atoms_[second]);
                if (d < limit) pairs.push_back({first, second, d});  // false for NaN
            });
        },
        grid_);
    std::sort(pairs.begin(), pairs.end(), [](const AtomPair& a, const AtomPair& b) {
        return a.first < b.first || (a.first == b.first && a.second < b.second);
    });
    return pairs;
}

void NeighbourGrid::report_pairs_closer_than(double limit, const std::function<void(const AtomPair&)>& report) const {
    if (!(limit > 0.0)) return;  // no distance is below zero or NaN
    const double window = search_window(limit);
    std::visit(
        [&](const auto& grid) {
            // First which atoms come first in some close pair, in one sweep
            // that measures each candidate pair once and holds no pair.
            std::vector<bool> leads(atoms_.size());
            bool any = false;
            grid.visit_close_candidates(window, [&](std::size_t a, std::size_t b) {
                const auto [first, second] = in_order(a, b);
                if (!leads[first] && distance(atoms_[first], atoms_[second]) < limit) leads[first] = any = true;
            });
            if (!any) return;
            // Then, atom by atom, its partners that come later, in order.
            std::vector<Partner> partners;
            for (std::size_t first = 0; first < atoms_.size(); ++first) {
                if (!leads[first]) continue;
                partners.clear();
                grid.visit_atoms_near(first, window, [&](std::size_t second) {
                    if (second < first) return false;
                    const double d = distance(atoms_[first], atoms_[second]);
                    if (d < limit) partners.push_back({second, d});  // false for NaN
                    return false;
                });
                std::sort(partners.begin(), partners.end(),
                          [](const Partner& a, const Partner& b) { return a.index < b.index; });
                for (const Partner& partner : partners) report({first, partner.index, partner.distance});
            }
        },
        grid_);
}

}  // namespace quorv::geometry
