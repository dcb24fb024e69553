#include "lib/geometry/small_molecule_neighbours.h"

namespace quorv::geometry {

SmallMoleculeNeighbours::SmallMoleculeNeighbours(std::span<const Atom> atoms) : atoms_(atoms) {
    if (atoms.size() <= kMostAtomsInListOrder) return;
    sorted_ = true;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        rank_[i] = kNotSorted;
        const Atom& atom = atoms[i];
        if (is_finite(atom)) by_x_[sorted_count_++] = {atom.x, atom.y, atom.z, i};
    }
    // Ties in x may come in any order: every answer is the same whatever
    // order the atoms of one x are visited in.
    std::sort(by_x_.begin(), by_x_.begin() + static_cast<std::ptrdiff_t>(sorted_count_),
              [](const Placed& a, const Placed& b) { return a.x < b.x; });
    for (std::size_t rank = 0; rank < sorted_count_; ++rank) rank_[by_x_[rank].index] = static_cast<std::uint8_t>(rank);
}

double SmallMoleculeNeighbours::square_bound(double limit) const {
    if (limit != last_limit_) {
        last_limit_ = limit;
        last_square_bound_ = largest_square_within(limit);
    }
    return last_square_bound_;
}

std::size_t SmallMoleculeNeighbours::count_neighbours_within(std::size_t index, double radius,
                                                             std::size_t enough) const {
    std::size_t neighbours = 0;
    if (enough == 0) return neighbours;
    const Atom& atom = atoms_[index];
    visit_near(index, square_bound(radius), [&](std::size_t other) {
        if (distance(atom, atoms_[other]) <= radius) ++neighbours;  // false for NaN
        return neighbours >= enough;
    });
    return neighbours;
}

double SmallMoleculeNeighbours::nearest_distance_below(std::size_t index, double bound) const {
    // Each partner closer than the nearest so far narrows the search to it.
    double nearest = bound;
    double nearest_square_bound = largest_square_within(bound);
    const Atom& atom = atoms_[index];
    visit_near(index, nearest_square_bound, [&](std::size_t other) {
        const double d = distance(atom, atoms_[other]);
        if (d < nearest) {  // false for NaN
            nearest = d;
            nearest_square_bound = largest_square_within(d);
        }
        return false;
    });
    return nearest;
}

}  // namespace quorv::geometry
