// A periodic frame's atoms as a plain list that the spatial index can
// search: every atom moved by whole lattice vectors into the cell, at its own
// index, followed by the images of those atoms that lie within a margin of
// the cell. Any image within the margin of an atom is then in the list, so
// a question about distances up to the margin has the same answer in the
// list as over all the periodic images.
//
// Images are copies, and the index is used only through its public
// questions: that keeps the periodic geometry apart from how the index
// works inside. The copies cost memory in proportion to the atoms near the
// faces (a sixth more for a 100 Å box and a margin of 2.7 Å).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lib/cluster.h"
#include "lib/geometry/periodic_cell.h"

namespace quorv::geometry {

// The atom moved by whole lattice vectors so that its fraction along every
// periodic axis lies in [0, 1) (up to rounding), or the atom as it is, with
// `in_cell` false, when it has a non-finite coordinate or lies so far out
// (beyond 2^40 cells, or so far that the move lands it elsewhere) that
// moving it would lose its position to rounding. Such an atom gets no
// images.
Atom moved_into_cell(const Atom& atom, const PeriodicCell& cell, bool& in_cell);

class PeriodicImages {
public:
    // `margin` in ångström; the atoms need not outlive the images.
    PeriodicImages(std::span<const Atom> atoms, const PeriodicCell& cell, double margin);

    // The moved atoms (index i is atom i), then the images.
    std::span<const Atom> atoms() const { return atoms_; }
    std::size_t original_count() const { return original_count_; }
    double margin() const { return margin_; }
    // Which atom an entry of atoms() is, or is an image of.
    std::size_t original_of(std::size_t index) const {
        return index < original_count_ ? index : image_of_[index - original_count_];
    }

    // How far around moved atom `index` every image is in the list: the
    // margin, plus the atom's distance to the nearest face of the region the
    // moved atoms fill. A distance below this measured over the list is the
    // distance over all images. Infinite for an atom that is not in the cell
    // (it has no images, and nothing is measured across faces from it).
    double covered_radius(std::size_t index) const;

private:
    const PeriodicCell* cell_;
    double margin_;
    std::vector<Atom> atoms_;
    std::size_t original_count_ = 0;
    std::vector<std::size_t> image_of_;
    std::vector<bool> in_cell_;
    // The fractions the moved atoms span along each periodic axis.
    std::array<double, 3> low_{};
    std::array<double, 3> high_{};
};

}  // namespace quorv::geometry
