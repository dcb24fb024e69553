#include "lib/rules/preview/preview_cluster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "lib/geometry/listed_neighbours.h"
#include "lib/periodic_table.h"

namespace quorv {

namespace {

// A symbol that is no element's (a dummy atom, a label) still bonds, at the
// reach of a carbon atom, so that its neighbours are not reported bare.
constexpr double kUnknownElementRadius = 0.76;
constexpr std::string_view kLongestBondHere = "longest bond here";

}  // namespace

PreviewCluster::PreviewCluster(const ClusterSpec& spec, const PreviewTolerances& tolerances,
                               PreviewShortcuts shortcuts)
    : spec_(spec), tolerances_(tolerances), shortcuts_(shortcuts) {
    // An atom's kind in the bond reach is its atomic number, 0 for none.
    elements_.resize(spec.atoms.size());
    std::array<bool, kElementCount + 1> present{};
    for (std::size_t i = 0; i < spec.atoms.size(); ++i) {
        elements_[i] = static_cast<std::uint8_t>(element_number(spec.atoms[i].element));
        present[elements_[i]] = true;
    }
    reach_.kind_of_atom = elements_;
    bool first = true;
    for (int z = 0; z <= kElementCount; ++z) {
        reach_.radius[z] = z == 0 ? kUnknownElementRadius : element_record(z).covalent_radius;
        reach_.tolerance[z] = is_heavy_metal(z) ? tolerances.heavy_metal_bond : tolerances.bond;
        if (!present[z]) continue;
        smallest_radius_ = first ? reach_.radius[z] : std::min(smallest_radius_, reach_.radius[z]);
        largest_radius_ = first ? reach_.radius[z] : std::max(largest_radius_, reach_.radius[z]);
        widest_tolerance_ = first ? reach_.tolerance[z] : std::max(widest_tolerance_, reach_.tolerance[z]);
        first = false;
    }
    longest_reach_ = reach_.longest();
}

const geometry::NeighbourGrid& PreviewCluster::grid() const {
    if (!grid_) grid_.emplace(spec_.atoms, geometry::kColumnWidth);
    return *grid_;
}

const geometry::BondGraph& PreviewCluster::bonds() const {
    if (!bonds_) {
        // Pairs at exactly the longest reach are bonded: the limit is strict.
        const double limit = std::nextafter(longest_reach_, std::numeric_limits<double>::infinity());
        const std::vector<geometry::AtomPair> close_pairs =
            spec_.atoms.size() < 2 ? std::vector<geometry::AtomPair>() : grid().pairs_closer_than(limit);
        bonds_.emplace(close_pairs, reach_);
    }
    return *bonds_;
}

PreviewCluster::ReachBounds PreviewCluster::reach_bounds(std::size_t atom) const {
    // Rounding is monotonic: no pair's sum is below the first or above the second.
    const std::uint8_t kind = elements_[atom];
    const double radius = reach_.radius[kind];
    return {(radius + smallest_radius_) + reach_.tolerance[kind], (radius + largest_radius_) + widest_tolerance_};
}

std::size_t PreviewCluster::partner_count(std::size_t atom, std::size_t enough) const {
    if (shortcuts_ == PreviewShortcuts::ListedNeighbours) {
        std::size_t listed = 0;
        visit_listed_partners(atom, [&](std::size_t, double) { return ++listed == enough; });
        if (listed >= enough) return enough;
        const ReachBounds bounds = reach_bounds(atom);
        if (grid().count_neighbours_within(atom, bounds.lower, enough) >= enough) return enough;
        if (!grid().has_neighbour_within(atom, bounds.upper)) return 0;
    }
    return std::min(bonds().partners(atom).size(), enough);
}

std::string PreviewCluster::pair_name(std::size_t atom, std::size_t other) const {
    return spec_.atoms[atom].element + "\u2013" + spec_.atoms[other].element;
}

PreviewCluster::Miss PreviewCluster::miss(std::size_t atom) const {
    if (const auto contact = bonds().closest_contact(atom)) {
        return {reach_.between(atom, contact->atom), pair_name(atom, contact->atom), contact->distance};
    }
    return {longest_reach_, std::string(kLongestBondHere), grid().nearest_distance(atom)};
}

}  // namespace quorv
