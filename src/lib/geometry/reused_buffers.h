// Buffers that a grid takes over from an earlier grid on the same thread and
// hands back when it is destroyed: a thread that lints cluster after cluster
// allocates, and faults in, its index memory once. Buffers grown past
// kMostBytesKept (a dense grid over some 300,000 atoms) are freed instead, so
// that what a thread holds between calls stays small whatever it linted.
// `Buffers` tells its size with bytes().
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace quorv::geometry {

// The memory a vector holds, for Buffers::bytes().
template <typename Item>
std::size_t bytes_of(const std::vector<Item>& items) {
    return items.capacity() * sizeof(Item);
}

template <typename Buffers>
class ReusedBuffers {
public:
    ReusedBuffers() : buffers_(take()) {}
    ~ReusedBuffers() {
        auto& kept = pool();
        if (kept.size() < kKept && buffers_->bytes() <= kMostBytesKept) kept.push_back(std::move(buffers_));
    }
    ReusedBuffers(const ReusedBuffers&) = delete;
    ReusedBuffers& operator=(const ReusedBuffers&) = delete;

    Buffers& operator*() const { return *buffers_; }
    Buffers* operator->() const { return buffers_.get(); }

private:
    // Grids of one call, and of calls nested in tests, each keep their buffers.
    static constexpr std::size_t kKept = 2;
    static constexpr std::size_t kMostBytesKept = std::size_t{16} << 20;

    static std::vector<std::unique_ptr<Buffers>>& pool() {
        thread_local std::vector<std::unique_ptr<Buffers>> kept;
        return kept;
    }
    static std::unique_ptr<Buffers> take() {
        auto& kept = pool();
        if (kept.empty()) return std::make_unique<Buffers>();
        std::unique_ptr<Buffers> buffers = std::move(kept.back());
        kept.pop_back();
        return buffers;
    }

    std::unique_ptr<Buffers> buffers_;
};

}  // namespace quorv::geometry
