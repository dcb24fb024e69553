#include "cli/frame_pool.h"

#include <system_error>

namespace quorv::cli {

namespace {

// A helper keeps the frame it reads into from batch to batch, unless one
// made it larger than this: then it is given back.
constexpr std::size_t kKeptScratchAtoms = 64 * 1024;

}  // namespace

FramePool::~FramePool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    offered_.notify_all();
    threads_.clear();  // joins
}

void FramePool::offer(const std::shared_ptr<FrameBatch>& batch) {
    std::call_once(started_, [this] { start(); });
    if (!running_.load(std::memory_order_acquire)) return;
    {
        std::lock_guard lock(mutex_);
        batches_.push_back(batch);
    }
    offered_.notify_one();
}

void FramePool::start() {
    try {
        for (unsigned i = 0; i < helpers_; ++i) threads_.emplace_back([this] { help(); });
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started do the work.
    }
    running_.store(!threads_.empty(), std::memory_order_release);
}

void FramePool::help() {
    xyz::Frame scratch;
    for (;;) {
        std::shared_ptr<FrameBatch> batch;
        {
            std::unique_lock lock(mutex_);
            offered_.wait(lock, [&] { return stopping_ || !batches_.empty(); });
            if (stopping_) return;
            batch = batches_.front().lock();
            batches_.pop_front();
        }
        if (!batch || !batch->claim()) continue;
        batch->run_held(scratch);
        if (scratch.spec.atoms.capacity() > kKeptScratchAtoms) scratch = xyz::Frame{};
    }
}

}  // namespace quorv::cli
