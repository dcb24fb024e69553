// How far around an atom a grid must look so that no partner within a radius
// is missed, for grids whose columns are a power of two wide.
#pragma once

#include <cmath>
#include <cstdint>

#include "lib/geometry/axis_keys.h"
#include "lib/geometry/grid_entry.h"

namespace quorv::geometry {

// A distance d computed by the reference never falls below the exact |dx|,
// |dy| or |dz| by more than a few units in the last place, except where a
// square underflows; a window this much wider than the radius loses no pair.
inline constexpr double kWindowRelativeMargin = 1e-9;
inline constexpr double kWindowAbsoluteMargin = 1e-150;

inline double search_window(double radius) {
    return radius * (1.0 + kWindowRelativeMargin) + kWindowAbsoluteMargin;
}

// How many columns away an atom within `window` in x or y may stand. The
// width is a power of two: the quotient is exact, and an atom whose exact
// difference is within it lies that many columns away at most.
inline double reach_in_columns(double window, double width) { return std::ceil(window / width); }

// The window in steps across a column, rounded up (exact: the width and the
// number of steps are powers of two); -1 when too wide to filter by.
inline std::int64_t window_in_steps(double window, double width) {
    const double steps = std::ceil(window / width * AxisKeys::kStepsPerCell);
    return steps <= kMostFilteredSteps ? static_cast<std::int64_t>(steps) : -1;
}

// Column widths are kept where their inverse and 2^52 of them are ordinary numbers.
inline constexpr double kNarrowestColumn = 0x1p-20;
inline constexpr double kWidestColumn = 0x1p20;

// The power of two at least `width`, within the widths above.
inline double column_width_at_least(double width) {
    width = std::isnan(width) ? 1.0 : std::fmin(std::fmax(width, kNarrowestColumn), kWidestColumn);
    int exponent = 0;
    const double mantissa = std::frexp(width, &exponent);  // width = mantissa * 2^exponent, mantissa in [0.5, 1)
    return std::ldexp(1.0, mantissa == 0.5 ? exponent - 1 : exponent);
}

}  // namespace quorv::geometry
