// The end of a regular file, known from the size it had when it was opened:
// a read that comes short just as the file reaches that size is its last,
// with no further read that finds nothing. (A file that changes meanwhile
// ends at a read of nothing, as any other input.)
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quorv::cli {

class RegularFileEnd {
public:
    // 0: not a regular file, or an empty one (its end is found by a read).
    explicit RegularFileEnd(std::uint64_t size) : left_(size) {}

    // After a read that got `got` of the `wanted` bytes: whether the file is
    // now read to its size.
    bool reached_after(std::size_t got, std::size_t wanted) {
        if (left_ == 0) return false;
        left_ -= std::min<std::uint64_t>(left_, got);
        return left_ == 0 && got < wanted;
    }

private:
    std::uint64_t left_;
};

}  // namespace quorv::cli
