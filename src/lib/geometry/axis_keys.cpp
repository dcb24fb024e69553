#include "lib/geometry/axis_keys.h"

#include <algorithm>

namespace quorv::geometry {

void AxisKeys::rank(std::vector<double>& values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    ranked_ = &values;
    ranked_negative_ = std::lower_bound(values.begin(), values.end(), 0.0) - values.begin();
}

std::int64_t AxisKeys::rank_key(double value) const {
    const auto position = std::lower_bound(ranked_->begin(), ranked_->end(), value) - ranked_->begin();
    // The negative values closest to zero get the keys just below -2^52, the
    // positive ones those from 2^52 up.
    return value < 0.0 ? -kFirstRankKey - (ranked_negative_ - position) : kFirstRankKey + (position - ranked_negative_);
}

}  // namespace quorv::geometry
