// Buffers that a grid takes over from an earlier grid on the same thread and
// hands back when it is destroyed: a thread that lints cluster after cluster
// allocates, and faults in, its index memory once.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace quorv::geometry {

template <typename Buffers>
class ReusedBuffers {
public:
    ReusedBuffers() : buffers_(take()) {}
    ~ReusedBuffers() {
        auto& kept = pool();
        if (kept.size() < kKept) kept.push_back(std::move(buffers_));
    }
    ReusedBuffers(const ReusedBuffers&) = delete;
    ReusedBuffers& operator=(const ReusedBuffers&) = delete;

    Buffers& operator*() const { return *buffers_; }
    Buffers* operator->() const { return buffers_.get(); }

private:
    // Grids of one call, and of calls nested in tests, each keep their buffers.
    static constexpr std::size_t kKept = 2;

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
