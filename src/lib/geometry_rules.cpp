// Geometry rules: atoms with nothing to bond to, metals with no or one
// neighbour, atoms on top of each other, and hydrogens so far from everything
// that the coordinates must be in bohr. Distances are in ångström.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lib/elements.h"
#include "lib/format.h"
#include "lib/geometry_reference.h"
#include "lib/rules.h"

namespace quorv {

namespace {

constexpr std::string_view kBareHeteroatomMessage =
    "atom {} ({}) has no bonding partner within {} \u00c5 (nearest is {} \u00c5). "
    "Likely a bare oxygen / missing hydrogens / a fragment cut through a bond.";
// The 2.7 in this text is the coordination radius written out, not formatted.
constexpr std::string_view kMetalUncoordinatedMessage =
    "metal {} (atom {}) has no neighbour within 2.7 \u00c5 \u2014 it is floating";
constexpr std::string_view kMetalLowCoordinationMessage =
    "metal {} (atom {}) has coordination 1 \u2014 verify this is intended";
constexpr std::string_view kOverlappingAtomsMessage =
    "atoms {} ({}) and {} ({}) are {} \u00c5 apart \u2014 below any real bond (H\u2013H is 0.74 \u00c5). "
    "Likely a duplicated atom or a coordinate error.";
// The "0.529" in this text is fixed; the converted value uses the full factor.
constexpr std::string_view kUnitScaleMessage =
    "closest hydrogen bond is {} \u00c5 \u2014 longer than any real X\u2013H bond (~1.0 \u00c5). "
    "The geometry is likely in Bohr (\u00d70.529 \u2192 {} \u00c5), not the \u00c5ngstr\u00f6m this "
    "tool assumes. Convert the coordinates, or verify the units.";

// A metal counts as coordinated by every atom within this distance, inclusive.
constexpr double kCoordinationRadius = 2.7;
// Closer than this (strictly), two atoms cannot both be real.
constexpr double kOverlapDistance = 0.5;
// Every real X-H bond is shorter; a closest hydrogen contact beyond this
// (strictly) means the coordinates are not in ångström.
constexpr double kUnitScaleThreshold = 1.5;
constexpr double kBohrToAngstrom = 0.529177;

void add(std::vector<Finding>& out, Severity severity, std::string_view code, std::string message) {
    out.push_back(Finding{severity, code, std::move(message)});
}

std::string index_text(std::size_t index) { return decimal(static_cast<std::uint64_t>(index)); }

}  // namespace

void check_bare_heteroatoms(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const auto cutoff = bonding_cutoff(atoms[i].element);
        if (!cutoff) continue;
        const double nearest = geometry_reference::nearest_distance(atoms, i);
        // A partner exactly at the cutoff still counts as bonded.
        if (nearest > *cutoff) {
            add(out, Severity::Error, codes::kBareHeteroatom,
                fill(kBareHeteroatomMessage, {index_text(i), atoms[i].element, fixed(*cutoff, 2), fixed(nearest, 2)}));
        }
    }
}

void check_metal_coordination(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (!is_metal(atoms[i].element)) continue;
        const std::size_t neighbours = geometry_reference::count_neighbours_within(atoms, i, kCoordinationRadius);
        if (neighbours == 0) {
            add(out, Severity::Error, codes::kMetalUncoordinated,
                fill(kMetalUncoordinatedMessage, {atoms[i].element, index_text(i)}));
        } else if (neighbours == 1) {
            add(out, Severity::Warning, codes::kMetalLowCoordination,
                fill(kMetalLowCoordinationMessage, {atoms[i].element, index_text(i)}));
        }
    }
}

void check_overlapping_atoms(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    for (const auto& pair : geometry_reference::pairs_closer_than(atoms, kOverlapDistance)) {
        add(out, Severity::Error, codes::kOverlappingAtoms,
            fill(kOverlappingAtomsMessage, {index_text(pair.first), atoms[pair.first].element,
                                            index_text(pair.second), atoms[pair.second].element,
                                            fixed(pair.distance, 3)}));
    }
}

void check_unit_scale(const ClusterSpec& spec, std::vector<Finding>& out) {
    const std::span<const Atom> atoms(spec.atoms);
    // Nearest distances are never NaN, so a plain minimum is enough here.
    double closest_hydrogen_contact = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (atoms[i].element != kHydrogen) continue;
        closest_hydrogen_contact = std::min(closest_hydrogen_contact, geometry_reference::nearest_distance(atoms, i));
    }
    // No hydrogen, or none with a measurable partner, says nothing about units.
    if (std::isfinite(closest_hydrogen_contact) && closest_hydrogen_contact > kUnitScaleThreshold) {
        add(out, Severity::Warning, codes::kUnitScale,
            fill(kUnitScaleMessage,
                 {fixed(closest_hydrogen_contact, 2), fixed(closest_hydrogen_contact * kBohrToAngstrom, 2)}));
    }
}

}  // namespace quorv
