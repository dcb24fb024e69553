#include "lib/geometry/periodic_images.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorv::geometry {

namespace {

// Beyond this many cells out, an atom's position is not worth moving in.
constexpr double kFarthestFraction = 1099511627776.0;  // 2^40
// How far past a face a moved atom may lie, in cells, for rounding.
constexpr double kRoundingCells = 0.5;
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
    Atom moved = PeriodicCell::shifted(atom, cell.offset(back));
    // Rounding moves an atom a little past a face at most, unless its
    // coordinates dwarf the cell; then its position is lost, and it stays out.
    for (std::size_t axis = 0; axis < cell.periodic_count(); ++axis) {
        const double fraction = cell.fraction(moved, axis);
        if (!(fraction >= -kRoundingCells && fraction <= 1.0 + kRoundingCells)) {
            in_cell = false;
            return atom;
        }
    }
    return moved;
}

PeriodicImages::PeriodicImages(std::span<const Atom> atoms, const PeriodicCell& cell, double margin)
    : cell_(&cell), margin_(margin), original_count_(atoms.size()), in_cell_(atoms.size(), false) {
    const std::size_t axes = cell.periodic_count();
    atoms_.reserve(atoms.size());
    low_.fill(std::numeric_limits<double>::infinity());
    high_.fill(-std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        bool moved = false;
        atoms_.push_back(moved_into_cell(atoms[i], cell, moved));
        in_cell_[i] = moved;
        if (!moved) continue;
        for (std::size_t axis = 0; axis < axes; ++axis) {
            const double fraction = cell.fraction(atoms_.back(), axis);
            low_[axis] = std::min(low_[axis], fraction);
            high_[axis] = std::max(high_[axis], fraction);
        }
    }
    // The slab along each axis that holds every point within the margin of a moved atom.
    std::array<double, 3> low{}, high{};
    for (std::size_t axis = 0; axis < axes; ++axis) {
        const double reach = margin / cell.height(axis) + kFractionSlack;
        low[axis] = low_[axis] - reach;
        high[axis] = high_[axis] + reach;
    }

    for (std::size_t i = 0; i < original_count_; ++i) {
        if (!in_cell_[i]) continue;
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

double PeriodicImages::covered_radius(std::size_t index) const {
    if (!in_cell_[index]) return std::numeric_limits<double>::infinity();
    double depth = std::numeric_limits<double>::infinity();
    for (std::size_t axis = 0; axis < cell_->periodic_count(); ++axis) {
        const double fraction = cell_->fraction(atoms_[index], axis);
        depth = std::min(depth, std::min(fraction - low_[axis], high_[axis] - fraction) * cell_->height(axis));
    }
    return margin_ + std::max(depth, 0.0);
}

}  // namespace quorv::geometry
