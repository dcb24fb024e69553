// Integer cell keys along one axis, for any finite coordinate.
//
// A cell is `width` wide, a power of two, so that x / width is exact and its
// floor needs no slack: two coordinates whose exact difference is at most k
// widths get keys at most k apart, and keys m apart mean the coordinates lie
// more than m - 1 widths apart. From 2^52 widths out, neighbouring doubles
// are a width or more apart, so there each distinct value present gets a key
// of its own, in order; both properties still hold, and coordinates up to the
// largest double stay indexed without losing precision.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quorv::geometry {

class AxisKeys {
public:
    // Coordinates at least this many widths from zero are keyed by rank.
    static constexpr double kWidthsBeforeRanks = 4503599627370496.0;  // 2^52

    // `width` must be a power of two.
    explicit AxisKeys(double width) : inverse_width_(1.0 / width), rank_limit_(kWidthsBeforeRanks * width) {}

    // Cells of width `width` cover [-2^52, 2^52) widths; below them doubles lie
    // a width apart or more, as they do from 2^52 widths up.
    bool keyed_by_rank(double value) const { return !(value >= -rank_limit_ && value < rank_limit_); }

    // Prepares the keys of the coordinates for which keyed_by_rank() holds;
    // every such coordinate later asked for must be among them. `values`
    // is left sorted and unique.
    void rank(std::vector<double>& values);

    // The key of a finite coordinate.
    std::int64_t key(double value) const { return keyed_by_rank(value) ? rank_key(value) : floor_key(value); }

    // The key of a coordinate for which keyed_by_rank() does not hold.
    std::int64_t floor_key(double value) const {
        // Multiplying by a power of two is exact unless the product is
        // subnormal; then a negative value may round to -0, whose floor
        // would put it in the cell above zero.
        const std::int64_t cells = floor_of(value * inverse_width_);
        return value < 0.0 && cells == 0 ? -1 : cells;
    }

    // Where in its cell a coordinate keyed by floor lies, in 1/65536ths of
    // the width, rounded down: off by one step at most (value / width is
    // exact, its distance to the floor rounds only in the cell below zero).
    // 0 for one keyed by rank.
    static constexpr double kStepsPerCell = 65536.0;
    std::uint16_t step_in_cell(double value, std::int64_t key) const {
        if (!keyed_by_floor(key)) return 0;
        // The clamp keeps a tiny negative value, whose distance to the floor
        // may round up to a whole cell, in the last step.
        // Truncation is the floor here: what it changes, it clamps to 0.
        const double steps = (value * inverse_width_ - static_cast<double>(key)) * kStepsPerCell;
        return static_cast<std::uint16_t>(std::clamp(steps, 0.0, kStepsPerCell - 1));
    }
    static bool keyed_by_floor(std::int64_t key) { return key >= -kFirstRankKey && key < kFirstRankKey; }

private:
    std::int64_t rank_key(double value) const;

    // floor(value) for |value| < 2^63, without a call into the maths library
    // (the target need not have a rounding instruction): the conversion
    // truncates exactly, and truncation is the floor except below zero.
    static std::int64_t floor_of(double value) {
        const auto truncated = static_cast<std::int64_t>(value);
        return truncated - (static_cast<double>(truncated) > value ? 1 : 0);
    }

    static constexpr std::int64_t kFirstRankKey = std::int64_t{1} << 52;

    double inverse_width_;
    double rank_limit_;
    const std::vector<double>* ranked_ = nullptr;
    std::int64_t ranked_negative_ = 0;
};

}  // namespace quorv::geometry
