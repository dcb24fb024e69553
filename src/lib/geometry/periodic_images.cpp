#include "lib/geometry/periodic_images.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorv::geometry {

namespace {

// Beyond this many cells out, an atom's position is not worth moving in.
constexpr double kFarthestFraction = 1099511627776.0;  // 2^40
// How far past the margin (in cells) images are still taken, for the
// rounding of fractions; taking a few images too many changes no answer.
constexpr double kFractionSlack = 1e-6;

bool finite_fractions(const Atom& atom, const PeriodicCell& cell) {
    for (std::size_t axis = 0; axis < cell.periodic_count(); ++axis) {
        if (!(std::fabs(cell.fraction(atom, axis)) <= kFarthestFraction)) return false;
    }
    return std::isfinite(atom.x) && std::isfinite(atom.y) && std::isfinite(atom.z);
}

}  // namespace

Atom moved_into_cell(const Atom& atom, const PeriodicCell& cell, bool& in_cell) {
    in_cell = finite_fractions(atom, cell);
    if (!in_cell) return atom;
    Translation back{0, 0, 0};
    for (std::size_t axis = 0; axis < cell.periodic_count(); ++axis) {
        back[axis] = -static_cast<std::int64_t>(std::floor(cell.fraction(atom, axis)));
    }
    return PeriodicCell::shifted(atom, cell.offset(back));
}

PeriodicImages::PeriodicImages(std::span<const Atom> atoms, const PeriodicCell& cell, double margin)
    : original_count_(atoms.size()) {
    const std::size_t axes = cell.periodic_count();
    atoms_.reserve(atoms.size());
    std::vector<bool> in_cell(atoms.size(), false);
    // The slab along each axis that holds every point within the margin of a moved atom.
    std::array<double, 3> low{}, high{};
    low.fill(std::numeric_limits<double>::infinity());
    high.fill(-std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        bool moved = false;
        atoms_.push_back(moved_into_cell(atoms[i], cell, moved));
        in_cell[i] = moved;
        if (!moved) continue;
        for (std::size_t axis = 0; axis < axes; ++axis) {
            const double fraction = cell.fraction(atoms_.back(), axis);
            low[axis] = std::min(low[axis], fraction);
            high[axis] = std::max(high[axis], fraction);
        }
    }
    for (std::size_t axis = 0; axis < axes; ++axis) {
        const double reach = margin / cell.height(axis) + kFractionSlack;
        low[axis] -= reach;
        high[axis] += reach;
    }

    for (std::size_t i = 0; i < original_count_; ++i) {
        if (!in_cell[i]) continue;
        // Whole steps along each axis that keep the image inside the slab.
        Translation first{0, 0, 0}, last{0, 0, 0};
        for (std::size_t axis = 0; axis < axes; ++axis) {
            const double fraction = cell.fraction(atoms_[i], axis);
            first[axis] = static_cast<std::int64_t>(std::ceil(low[axis] - fraction));
            last[axis] = static_cast<std::int64_t>(std::floor(high[axis] - fraction));
        }
        Translation step{0, 0, 0};
        for (step[0] = first[0]; step[0] <= last[0]; ++step[0]) {
            for (step[1] = first[1]; step[1] <= last[1]; ++step[1]) {
                for (step[2] = first[2]; step[2] <= last[2]; ++step[2]) {
                    if (step[0] == 0 && step[1] == 0 && step[2] == 0) continue;
                    atoms_.push_back(PeriodicCell::shifted(atoms_[i], cell.offset(step)));
                    image_of_.push_back(i);
                }
            }
        }
    }
}

}  // namespace quorv::geometry
