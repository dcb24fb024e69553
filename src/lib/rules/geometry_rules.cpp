// Geometry rules: atoms with nothing to bond to, metals with no or one
// neighbour, atoms on top of each other, and hydrogens so far from everything
// that the coordinates must be in bohr. Distances are in ångström.
//
// Each rule asks only the question it needs answered, first of the atoms
// listed next to the one in question and then, for what that leaves open, of
// a spatial index; so a cluster of 10^5 atoms takes milliseconds. The answers
// and the findings are exactly those of the pairwise form in
// geometry_reference_rules.cpp.
#include <algorithm>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "lib/elements.h"
#include "lib/rules/geometry_findings.h"
#include "lib/geometry/neighbour_grid.h"
#include "lib/geometry/distance.h"
#include "lib/rules/rules.h"

namespace quorv {

namespace {

// Wide enough that every radius the rules ask about except the coordination
// radius is answered from the 3 x 3 columns around an atom.
constexpr double kColumnWidth = 2.0;
// For the one question asked of every atom, narrower columns hold fewer
// candidates (measured fastest on a 10^5-atom water box).
constexpr double kOverlapColumnWidth = 1.0;

// Files list a molecule's atoms together, so an atom's bonding partners are
// usually among the few listed next to it; measuring those first settles most
// questions without an index.
constexpr std::size_t kListedNeighbours = 8;  // on each side

// Built on first use, so that a rule whose questions the listed neighbours
// settle never builds it.
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

// How many of the atoms listed within kListedNeighbours of atoms[index] lie
// at a distance <= radius, counting no further than `enough`. A lower bound
// on the true count.
std::size_t count_listed_neighbours_within(std::span<const Atom> atoms, std::size_t index, double radius,
                                           std::size_t enough) {
    const std::size_t from = index - std::min(index, kListedNeighbours);
    const std::size_t to = std::min(atoms.size(), index + kListedNeighbours + 1);
    std::size_t neighbours = 0;
    for (std::size_t other = from; other < to && neighbours < enough; ++other) {
        if (other != index && geometry_reference::distance(atoms[index], atoms[other]) <= radius) ++neighbours;
    }
    return neighbours;
}

bool has_listed_neighbour_within(std::span<const Atom> atoms, std::size_t index, double radius) {
    return count_listed_neighbours_within(atoms, index, radius, 1) >= 1;
}

}  // namespace

void check_bare_heteroatoms(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    LazyGrid grid(atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const auto cutoff = bonding_cutoff(atoms[i].element);
        // A partner exactly at the cutoff still counts as bonded.
        if (!cutoff || has_listed_neighbour_within(atoms, i, *cutoff) || grid->has_neighbour_within(i, *cutoff)) {
            continue;
        }
        // Only a lone atom needs its nearest distance, however far that is.
        geometry::add_bare_heteroatom(out, atoms, i, *cutoff, grid->nearest_distance(i));
    }
}

void check_metal_coordination(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    LazyGrid grid(atoms);
    // Only none, one or more than one neighbour make a difference.
    constexpr std::size_t kEnoughNeighbours = 2;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (!is_metal(atoms[i].element)) continue;
        std::size_t neighbours =
            count_listed_neighbours_within(atoms, i, geometry::kCoordinationRadius, kEnoughNeighbours);
        if (neighbours < kEnoughNeighbours) {
            neighbours = grid->count_neighbours_within(i, geometry::kCoordinationRadius, kEnoughNeighbours);
        }
        geometry::add_metal_coordination(out, atoms, i, neighbours);
    }
}

void check_overlapping_atoms(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    if (atoms.size() < 2) return;
    const NeighbourGrid grid(atoms, kOverlapColumnWidth);
    for (const auto& pair : grid.pairs_closer_than(geometry::kOverlapDistance)) {
        geometry::add_overlapping_atoms(out, atoms, pair);
    }
}

void check_unit_scale(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    // One hydrogen with a partner within the threshold settles it: the
    // closest hydrogen contact can be no longer, and no finding follows.
    // In a geometry in ångström the first hydrogen usually does.
    std::vector<std::size_t> hydrogens;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (atoms[i].element != kHydrogen) continue;
        if (has_listed_neighbour_within(atoms, i, geometry::kUnitScaleThreshold)) return;
        hydrogens.push_back(i);
    }
    if (hydrogens.empty()) return;
    LazyGrid grid(atoms);
    for (const std::size_t h : hydrogens) {
        if (grid->has_neighbour_within(h, geometry::kUnitScaleThreshold)) return;
    }
    // Every hydrogen is far from everything: the closest contact is needed
    // exactly, and each search can stop at the closest one found so far.
    double closest_hydrogen_contact = std::numeric_limits<double>::infinity();
    for (const std::size_t h : hydrogens) {
        closest_hydrogen_contact =
            std::min(closest_hydrogen_contact, grid->nearest_distance_below(h, closest_hydrogen_contact));
    }
    if (geometry::looks_like_bohr(closest_hydrogen_contact)) geometry::add_unit_scale(out, closest_hydrogen_contact);
}

}  // namespace quorv
