#include "lib/geometry/periodic_cell.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "lib/geometry/thresholds.h"

namespace quorv::geometry {

namespace {

// Vectors whose volume (area) is below this share of the product of their
// lengths are taken as lying in a plane (line): no cell of atoms is so flat.
constexpr double kIndependence = 1e-10;
// Reduction swaps neighbouring vectors while the later one is this much
// shorter than the earlier one's part orthogonal to the rest (Lovász).
constexpr double kLovasz = 0.99;
// Each round shortens a vector; a basis that needs more rounds than this is
// flatter than kIndependence lets through.
constexpr int kMostReductionRounds = 10000;
// A translation search wider than this per axis means the basis did not reduce.
constexpr std::int64_t kWidestSearch = 64;

using Basis = std::array<Vector3, 3>;

// The part of each vector orthogonal to the ones before it.
Basis gram_schmidt(const Basis& basis, std::size_t count) {
    Basis orthogonal{};
    for (std::size_t k = 0; k < count; ++k) {
        orthogonal[k] = basis[k];
        for (std::size_t j = 0; j < k; ++j) {
            const double mu = dot(basis[k], orthogonal[j]) / dot(orthogonal[j], orthogonal[j]);
            orthogonal[k] = minus(orthogonal[k], scaled(orthogonal[j], mu));
        }
    }
    return orthogonal;
}

// Lattice reduction (Lenstra, Lenstra and Lovász) of up to three vectors:
// short, nearly orthogonal vectors spanning the same lattice. False when it
// does not settle.
bool reduce(Basis& basis, std::size_t count) {
    std::size_t k = 1;
    for (int round = 0; k < count; ++round) {
        if (round == kMostReductionRounds) return false;
        for (std::size_t j = k; j-- > 0;) {
            const Basis orthogonal = gram_schmidt(basis, count);
            const double mu = dot(basis[k], orthogonal[j]) / dot(orthogonal[j], orthogonal[j]);
            const double whole = std::nearbyint(mu);
            if (whole != 0.0) basis[k] = minus(basis[k], scaled(basis[j], whole));
        }
        const Basis orthogonal = gram_schmidt(basis, count);
        const double mu = dot(basis[k], orthogonal[k - 1]) / dot(orthogonal[k - 1], orthogonal[k - 1]);
        if (dot(orthogonal[k], orthogonal[k]) >= (kLovasz - mu * mu) * dot(orthogonal[k - 1], orthogonal[k - 1])) {
            ++k;
        } else {
            std::swap(basis[k], basis[k - 1]);
            k = std::max<std::size_t>(k - 1, 1);
        }
    }
    // Shortest first (an insertion sort of at most three).
    for (std::size_t i = 1; i < count; ++i) {
        for (std::size_t j = i; j > 0 && dot(basis[j], basis[j]) < dot(basis[j - 1], basis[j - 1]); --j) {
            std::swap(basis[j], basis[j - 1]);
        }
    }
    return true;
}

double product_of_lengths(const Basis& basis, std::size_t count) {
    double lengths = 1.0;
    for (std::size_t k = 0; k < count; ++k) lengths *= length(basis[k]);
    return lengths;
}

bool independent(const Basis& basis, std::size_t count) {
    double measure = length(basis[0]);
    if (count == 2) measure = length(cross(basis[0], basis[1]));
    if (count == 3) measure = std::fabs(dot(basis[0], cross(basis[1], basis[2])));
    return measure > kIndependence * product_of_lengths(basis, count);
}

// Unit vectors orthogonal to the periodic ones and to each other, so that
// the three together span space and the periodic fractions are well defined.
void complete(Basis& basis, std::size_t count) {
    if (count == 1) {
        const Vector3& axis = basis[0];
        // The coordinate axis least aligned with the vector gives a clean cross product.
        Vector3 helper{0.0, 0.0, 0.0};
        const std::array<double, 3> alignment = {std::fabs(axis[0]), std::fabs(axis[1]), std::fabs(axis[2])};
        helper[static_cast<std::size_t>(std::min_element(alignment.begin(), alignment.end()) - alignment.begin())] = 1.0;
        const Vector3 first = cross(axis, helper);
        basis[1] = scaled(first, 1.0 / length(first));
        const Vector3 second = cross(axis, basis[1]);
        basis[2] = scaled(second, 1.0 / length(second));
    } else if (count == 2) {
        const Vector3 normal = cross(basis[0], basis[1]);
        basis[2] = scaled(normal, 1.0 / length(normal));
    }
}

}  // namespace

std::variant<PeriodicCell, CellProblem> PeriodicCell::make(const std::array<Vector3, 3>& vectors,
                                                           const std::array<bool, 3>& periodic) {
    Basis basis{};
    std::size_t count = 0;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (!periodic[axis]) continue;
        if (!is_finite(vectors[axis])) return CellProblem::NotFinite;
        basis[count++] = vectors[axis];
    }
    // Vectors so long that their volume leaves the double range cannot be measured.
    if (count > 0 && !std::isfinite(product_of_lengths(basis, count))) return CellProblem::NotFinite;
    if (count == 0 || !independent(basis, count) || !reduce(basis, count) || !independent(basis, count)) {
        return CellProblem::NotIndependent;
    }

    PeriodicCell cell;
    cell.periodic_count_ = count;
    for (std::size_t k = 0; k < count; ++k) cell.lattice_[k] = basis[k];
    complete(basis, count);
    if (!cell.measure_faces(basis)) return CellProblem::NotFinite;
    const auto shortest = cell.shortest_lattice_vector();
    if (!shortest) return CellProblem::NotIndependent;
    cell.shortest_period_ = *shortest;
    if (!(cell.shortest_period_ >= kOverlapDistance)) return CellProblem::TooThin;
    // The images any question needs lie within a few cells along each axis
    // of a reduced basis; more would mean the reduction failed.
    for (std::size_t k = 0; k < count; ++k) {
        if (!(std::max(cell.shortest_period_, kCoordinationRadius) / cell.heights_[k] <= kWidestSearch)) {
            return CellProblem::NotIndependent;
        }
    }
    return cell;
}

bool PeriodicCell::measure_faces(const std::array<Vector3, 3>& completed) {
    const double volume = dot(completed[0], cross(completed[1], completed[2]));
    if (!std::isfinite(volume)) return false;
    dual_ = {scaled(cross(completed[1], completed[2]), 1.0 / volume),
             scaled(cross(completed[2], completed[0]), 1.0 / volume),
             scaled(cross(completed[0], completed[1]), 1.0 / volume)};
    for (std::size_t k = 0; k < 3; ++k) {
        heights_[k] = 1.0 / length(dual_[k]);
        if (!is_finite(dual_[k]) || !(heights_[k] > 0.0) || !std::isfinite(heights_[k])) return false;
    }
    return true;
}

std::optional<double> PeriodicCell::shortest_lattice_vector() const {
    // A lattice vector as short as the shortest reduced one takes, along each
    // axis, at most that length over the height whole steps.
    const double bound = length(lattice_[0]);
    Translation reach{0, 0, 0};
    for (std::size_t k = 0; k < periodic_count_; ++k) {
        const double steps = std::floor(bound / heights_[k] * (1.0 + 1e-9)) + 1;
        if (!(steps <= kWidestSearch)) return std::nullopt;
        reach[k] = static_cast<std::int64_t>(steps);
    }
    double shortest = std::numeric_limits<double>::infinity();
    for (std::int64_t a = -reach[0]; a <= reach[0]; ++a) {
        for (std::int64_t b = -reach[1]; b <= reach[1]; ++b) {
            for (std::int64_t c = -reach[2]; c <= reach[2]; ++c) {
                if (a == 0 && b == 0 && c == 0) continue;
                shortest = std::min(shortest, length(offset({a, b, c})));
            }
        }
    }
    return shortest;
}

Vector3 PeriodicCell::offset(const Translation& translation) const {
    Vector3 sum{};
    for (std::size_t c = 0; c < 3; ++c) {
        // One operation per statement: no contraction into a fused multiply-add.
        const double first = static_cast<double>(translation[0]) * lattice_[0][c];
        const double second = static_cast<double>(translation[1]) * lattice_[1][c];
        const double third = static_cast<double>(translation[2]) * lattice_[2][c];
        const double two = first + second;
        sum[c] = two + third;
    }
    return sum;
}

Atom PeriodicCell::shifted(const Atom& atom, const Vector3& offset) {
    return Atom{atom.element, atom.x + offset[0], atom.y + offset[1], atom.z + offset[2]};
}

}  // namespace quorv::geometry
