// What a grid column keeps of each atom, and the test that passes over most
// atoms of a column too far away across it without reading the atom itself.
#pragma once

#include <algorithm>
#include <cstdint>

#include "lib/geometry/axis_keys.h"
#include "lib/geometry/column_table.h"

namespace quorv::geometry {

// An indexed atom as its column keeps it: z, to find the run near a given z,
// and where it lies across the column (see AxisKeys::step_in_cell), so that
// most atoms of the run too far away in x or y are passed over without
// reading the atom itself.
struct GridEntry {
    double z;
    std::uint32_t index;
    std::uint16_t x_step;
    std::uint16_t y_step;
};

// Step offsets are computed in 64 bits: columns this far apart, or windows
// this wide, are not filtered by steps.
inline constexpr std::int64_t kMostFilteredKeyDifference = std::int64_t{1} << 40;
inline constexpr double kMostFilteredSteps = 1e15;

// Rules out pairs of atoms in two columns that lie farther apart along one
// axis than the window, from their steps alone; never a pair within it.
// Each position in steps is within one step of the exact one, so a pair's
// difference is within two; one step of slack beyond the rounded-up window
// covers that.
class StepFilter {
public:
    StepFilter(std::int64_t key_a, std::int64_t key_b, std::int64_t window_steps)
        : active_(window_steps >= 0 && AxisKeys::keyed_by_floor(key_a) && AxisKeys::keyed_by_floor(key_b) &&
                  key_a - key_b <= kMostFilteredKeyDifference && key_b - key_a <= kMostFilteredKeyDifference),
          offset_(active_ ? (key_a - key_b) * static_cast<std::int64_t>(AxisKeys::kStepsPerCell) : 0),
          limit_(window_steps + 1) {}

    bool may_be_within(std::uint16_t step_a, std::uint16_t step_b) const {
        const std::int64_t apart = offset_ + step_a - step_b;
        return !active_ || (apart <= limit_ && -apart <= limit_);
    }

private:
    bool active_;
    std::int64_t offset_;
    std::int64_t limit_;
};

// How many columns below and above its own an atom `step` steps across its
// column can have a partner in that the filter above lets through, at most
// `reach`: the columns beyond hold none, so a search need not read them.
// Every key of a table that keys by floor is filtered by steps.
inline std::int64_t columns_below_to_read(std::uint16_t step, std::int64_t window_steps, std::int64_t reach) {
    constexpr auto kSteps = static_cast<std::int64_t>(AxisKeys::kStepsPerCell);
    if (window_steps < 0) return reach;
    // d columns below, the nearest position is (d - 1) * kSteps + step + 1 steps away.
    return step > window_steps ? 0 : std::min(reach, (window_steps - step) / kSteps + 1);
}
inline std::int64_t columns_above_to_read(std::uint16_t step, std::int64_t window_steps, std::int64_t reach) {
    constexpr auto kSteps = static_cast<std::int64_t>(AxisKeys::kStepsPerCell);
    if (window_steps < 0) return reach;
    // d columns above, the nearest position is d * kSteps - step steps away.
    return std::min(reach, (window_steps + 1 + step) / kSteps);
}

struct ColumnPairFilter {
    StepFilter x;
    StepFilter y;
    ColumnPairFilter(const ColumnKey& a, const ColumnKey& b, std::int64_t window_steps)
        : x(a.x, b.x, window_steps), y(a.y, b.y, window_steps) {}
    bool may_be_within(const GridEntry& a, const GridEntry& b) const {
        return x.may_be_within(a.x_step, b.x_step) && y.may_be_within(a.y_step, b.y_step);
    }
};

}  // namespace quorv::geometry
