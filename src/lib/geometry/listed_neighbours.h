// Files list a molecule's atoms together, so an atom's bonding partners are
// usually among the few listed next to it; measuring those first settles
// most of the geometry rules' questions without a spatial index, which is
// then built only when a question stays open.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>

#include "lib/cluster.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/neighbour_grid.h"

namespace quorv::geometry {

// Wide enough that every radius the rules ask about except the coordination
// radius is answered from the 3 x 3 columns around an atom.
inline constexpr double kColumnWidth = 2.0;

inline constexpr std::size_t kListedNeighbours = 8;  // on each side

// How many of the atoms listed within kListedNeighbours of atoms[index] lie
// at a distance <= radius, counting no further than `enough`. A lower bound
// on the true count. The next atom, the one before, the one after that and
// so on: a bonded partner is usually listed right beside its atom.
inline std::size_t count_listed_neighbours_within(std::span<const Atom> atoms, std::size_t index, double radius,
                                                  std::size_t enough) {
    std::size_t neighbours = 0;
    const auto count = [&](std::size_t other) {
        if (distance(atoms[index], atoms[other]) <= radius) ++neighbours;
        return neighbours >= enough;
    };
    for (std::size_t step = 1; step <= kListedNeighbours; ++step) {
        if (index + step < atoms.size() && count(index + step)) break;
        if (step <= index && count(index - step)) break;
    }
    return std::min(neighbours, enough);
}

inline bool has_listed_neighbour_within(std::span<const Atom> atoms, std::size_t index, double radius) {
    return count_listed_neighbours_within(atoms, index, radius, 1) >= 1;
}

// The grid, built on first use.
class LazyGrid {
public:
    explicit LazyGrid(std::span<const Atom> atoms) : atoms_(atoms) {}
    const NeighbourGrid* operator->() {
        if (!grid_) grid_.emplace(atoms_, kColumnWidth);
        return &*grid_;
    }

private:
    std::span<const Atom> atoms_;
    std::optional<NeighbourGrid> grid_;
};

}  // namespace quorv::geometry
