#include "source/position_list.h"

#include <algorithm>

namespace quorv::seed_check {

PositionList::PositionList(std::string_view text, std::string_view pattern) : pattern_length_(pattern.size()) {
    if (pattern.empty()) return;
    for (std::size_t pos = text.find(pattern); pos != std::string_view::npos; pos = text.find(pattern, pos + 1)) {
        positions_.push_back(pos);
    }
}

std::optional<std::size_t> PositionList::first_within(std::size_t begin, std::size_t end) const {
    auto first = std::lower_bound(positions_.begin(), positions_.end(), begin);
    // Later occurrences end later still, so only the first one can fit.
    if (first == positions_.end() || *first > end || end - *first < pattern_length_) return std::nullopt;
    return *first;
}

}  // namespace quorv::seed_check
