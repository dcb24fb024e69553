// The run's helpers for the frames of XYZ inputs: threads that lint batches
// of frames which the threads reading the inputs offer them, so that the
// frames of one large file are linted on every core. Started when the first
// batch is offered: a run without large XYZ files starts none.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/frame_batch.h"

namespace quorv::cli {

class FramePool {
public:
    // With no helpers, every frame is linted by the thread that reads its file.
    explicit FramePool(unsigned helpers) : helpers_(helpers) {}
    ~FramePool();
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    // How many helpers offered batches may go to.
    unsigned helpers() const { return helpers_; }

    // A helper takes the batch unless its reading thread has first. The pool
    // keeps it only weakly: a batch its reading thread has written out is
    // gone, whether a helper saw it or not.
    void offer(const std::shared_ptr<FrameBatch>& batch);

private:
    void start();
    void help();

    const unsigned helpers_;
    std::once_flag started_;
    std::atomic<bool> running_{false};  // some helper could be started
    std::mutex mutex_;
    std::condition_variable offered_;
    std::deque<std::weak_ptr<FrameBatch>> batches_;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;
};

}  // namespace quorv::cli
