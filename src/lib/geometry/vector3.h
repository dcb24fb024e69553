// Three-component vectors for the periodic geometry: lattice vectors,
// their duals and the offsets between periodic images.
#pragma once

#include <array>
#include <cmath>

namespace quorv::geometry {

using Vector3 = std::array<double, 3>;

inline double dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

inline double length(const Vector3& a) { return std::sqrt(dot(a, a)); }

inline Vector3 scaled(const Vector3& a, double factor) { return {a[0] * factor, a[1] * factor, a[2] * factor}; }

inline Vector3 minus(const Vector3& a, const Vector3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

inline bool is_finite(const Vector3& a) { return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]); }

}  // namespace quorv::geometry
