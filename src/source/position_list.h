// Where a pattern occurs in a text, kept sorted so that "the first occurrence
// inside this range" costs a binary search instead of a scan: nested calls
// ask that question for ranges that contain each other.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace quorv::seed_check {

class PositionList {
public:
    PositionList(std::string_view text, std::string_view pattern);

    // The first occurrence that starts at or after `begin` and ends at or
    // before `end`, if any.
    std::optional<std::size_t> first_within(std::size_t begin, std::size_t end) const;

    const std::vector<std::size_t>& positions() const { return positions_; }

private:
    std::size_t pattern_length_;
    std::vector<std::size_t> positions_;  // ascending
};

}  // namespace quorv::seed_check
