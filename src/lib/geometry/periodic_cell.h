// The lattice of a periodic frame: one, two or three periodic vectors.
//
// The vectors a frame gives may be any basis of its lattice, also a strongly
// skewed one whose faces lie much closer together than its atoms repeat. The
// cell keeps a reduced basis of the same lattice instead (short, nearly
// orthogonal vectors, each an integer combination of the given ones), so that
// the images within a distance of an atom are found among few translations.
// Every distance between periodic images is measured from positions that
// offset() and shifted() compute, here and in any reference, so that two
// searches over the same images agree to the last bit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

#include "lib/cluster.h"
#include "lib/geometry/vector3.h"

namespace quorv::geometry {

// Why periodic vectors make no usable cell.
enum class CellProblem : std::uint8_t {
    NotFinite,       // a periodic vector has a NaN or infinite component, or the cell is too large to measure
    NotIndependent,  // a periodic vector is zero, or they lie in a line or a plane
    TooThin,         // a lattice vector shorter than the overlap distance: every atom would overlap its own images
};

// Whole numbers of lattice vectors, one per periodic axis (0 for the others).
using Translation = std::array<std::int64_t, 3>;

class PeriodicCell {
public:
    // `vectors` are the three cell vectors (rows), `periodic` says which of
    // them repeat; the others are not read. At least one must repeat.
    static std::variant<PeriodicCell, CellProblem> make(const std::array<Vector3, 3>& vectors,
                                                        const std::array<bool, 3>& periodic);

    // How many axes repeat: 1, 2 or 3. The reduced vectors are axes 0 .. count-1.
    std::size_t periodic_count() const { return periodic_count_; }
    const Vector3& lattice_vector(std::size_t axis) const { return lattice_[axis]; }

    // The coordinate of a point along a periodic axis, in lattice vectors.
    double fraction(const Atom& atom, std::size_t axis) const {
        return dot({atom.x, atom.y, atom.z}, dual_[axis]);
    }
    // The distance between the two faces of the reduced cell across `axis`.
    double height(std::size_t axis) const { return heights_[axis]; }

    // The length of the shortest lattice vector, measured over translations:
    // how far the nearest image of any atom is from the atom itself.
    double shortest_period() const { return shortest_period_; }

    // n0 * a + n1 * b + n2 * c over the reduced vectors, summed in that order.
    Vector3 offset(const Translation& translation) const;

    // The atom moved by an offset (its element kept).
    static Atom shifted(const Atom& atom, const Vector3& offset);

private:
    PeriodicCell() = default;
    // The duals and heights from the periodic vectors completed to a basis
    // of space; false when they leave the double range.
    bool measure_faces(const std::array<Vector3, 3>& completed);
    // By a search over translations; none when the search would be too wide.
    std::optional<double> shortest_lattice_vector() const;

    std::size_t periodic_count_ = 0;
    std::array<Vector3, 3> lattice_{};  // reduced; zero beyond periodic_count_
    std::array<Vector3, 3> dual_{};     // fraction along axis k = position . dual_[k]
    std::array<double, 3> heights_{};
    double shortest_period_ = 0.0;
};

}  // namespace quorv::geometry
