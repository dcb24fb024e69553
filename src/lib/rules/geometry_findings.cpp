#include "lib/rules/geometry_findings.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "text/format.h"

namespace quorv::geometry {

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

constexpr double kBohrToAngstrom = 0.529177;

void add(std::vector<Finding>& out, Severity severity, std::string_view code, std::string message) {
    out.push_back(Finding{severity, code, std::move(message)});
}

std::string index_text(std::size_t index) { return decimal(static_cast<std::uint64_t>(index)); }

}  // namespace

void add_bare_heteroatom(std::vector<Finding>& out, std::span<const Atom> atoms, std::size_t index, double cutoff,
                         double nearest) {
    add(out, Severity::Error, codes::kBareHeteroatom,
        fill(kBareHeteroatomMessage, {index_text(index), atoms[index].element, fixed(cutoff, 2), fixed(nearest, 2)}));
}

void add_metal_coordination(std::vector<Finding>& out, std::span<const Atom> atoms, std::size_t index,
                            std::size_t neighbours) {
    if (neighbours == 0) {
        add(out, Severity::Error, codes::kMetalUncoordinated,
            fill(kMetalUncoordinatedMessage, {atoms[index].element, index_text(index)}));
    } else if (neighbours == 1) {
        add(out, Severity::Warning, codes::kMetalLowCoordination,
            fill(kMetalLowCoordinationMessage, {atoms[index].element, index_text(index)}));
    }
}

void add_overlapping_atoms(std::vector<Finding>& out, std::span<const Atom> atoms,
                           const geometry_reference::AtomPair& pair) {
    add(out, Severity::Error, codes::kOverlappingAtoms,
        fill(kOverlappingAtomsMessage, {index_text(pair.first), atoms[pair.first].element, index_text(pair.second),
                                        atoms[pair.second].element, fixed(pair.distance, 3)}));
}

bool looks_like_bohr(double closest_hydrogen_contact) {
    return std::isfinite(closest_hydrogen_contact) && closest_hydrogen_contact > kUnitScaleThreshold;
}

void add_unit_scale(std::vector<Finding>& out, double closest_hydrogen_contact) {
    add(out, Severity::Warning, codes::kUnitScale,
        fill(kUnitScaleMessage,
             {fixed(closest_hydrogen_contact, 2), fixed(closest_hydrogen_contact * kBohrToAngstrom, 2)}));
}

}  // namespace quorv::geometry
