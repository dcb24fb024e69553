#include "cli/frame_pool.h"

#include <system_error>

namespace quorv::cli {

FramePool::~FramePool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    offered_.notify_all();
    threads_.clear();  // joins
}

void FramePool::offer(const std::shared_ptr<FrameWork>& work) {
    std::call_once(started_, [this] { start(); });
    if (!running_.load(std::memory_order_acquire)) return;
    {
        std::lock_guard lock(mutex_);
        offers_.push_back(work);
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
    FrameScratch scratch;
    for (;;) {
        std::shared_ptr<FrameWork> work;
        {
            std::unique_lock lock(mutex_);
            offered_.wait(lock, [&] { return stopping_ || !offers_.empty(); });
            if (stopping_) return;
            work = offers_.front().lock();
            offers_.pop_front();
        }
        if (work) work->help(scratch);
        scratch.trim();
    }
}

}  // namespace quorv::cli
