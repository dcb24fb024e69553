#include "source/position_list.h"

#include <algorithm>

namespace quorv::seed_check {

template <typename Offset>
PositionList<Offset>::PositionList(std::string_view text, std::string_view pattern) : pattern_length_(pattern.size()) {
    if (pattern.empty()) return;
    for (std::size_t pos = text.find(pattern); pos != std::string_view::npos; pos = text.find(pattern, pos + 1)) {
        positions_.push_back(static_cast<Offset>(pos));
    }
}

template <typename Offset>
std::optional<std::size_t> PositionList<Offset>::first_within(std::size_t begin, std::size_t end) const {
    auto first = std::lower_bound(positions_.begin(), positions_.end(), begin,
                                  [](Offset position, std::size_t wanted) { return position < wanted; });
    // Later occurrences end later still, so only the first one can fit.
    if (first == positions_.end() || *first > end || end - *first < pattern_length_) return std::nullopt;
    return static_cast<std::size_t>(*first);
}

template class PositionList<std::uint32_t>;
template class PositionList<std::uint64_t>;

}  // namespace quorv::seed_check
