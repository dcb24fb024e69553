// Where a pattern occurs in a text, kept sorted so that "the first occurrence
// inside this range" costs a binary search instead of a scan: nested calls
// ask that question for ranges that contain each other. Positions take
// `Offset`'s width: 32 bits for any text below 4 GiB, half the memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quorv::seed_check {

template <typename Offset>
class PositionList {
public:
    PositionList(std::string_view text, std::string_view pattern);

    // The first occurrence that starts at or after `begin` and ends at or
    // before `end`, if any.
    std::optional<std::size_t> first_within(std::size_t begin, std::size_t end) const;

    const std::vector<Offset>& positions() const { return positions_; }

private:
    std::size_t pattern_length_;
    std::vector<Offset> positions_;  // ascending
};

extern template class PositionList<std::uint32_t>;
extern template class PositionList<std::uint64_t>;

}  // namespace quorv::seed_check
