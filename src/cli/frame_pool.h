// The run's helpers for the frames of XYZ inputs: threads that take part in
// reading and linting the large inputs that the threads reading them offer,
// so that the frames of one large file are linted on every core. Started
// when the first input is offered: a run without large XYZ files starts none.
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

// Work on one input that its reading thread shares with the helpers.
class FrameWork {
public:
    virtual ~FrameWork() = default;
    // A helper takes part until nothing is left for it to do.
    virtual void help(FrameScratch& scratch) = 0;
};

class FramePool {
public:
    // With no helpers, every frame is linted by the thread that reads its file.
    explicit FramePool(unsigned helpers) : helpers_(helpers) {}
    ~FramePool();
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    // How many helpers offered work may go to.
    unsigned helpers() const { return helpers_; }

    // One helper takes part in the work. The pool keeps it only weakly: work
    // its reading thread is done with is gone, whether a helper saw it or not.
    void offer(const std::shared_ptr<FrameWork>& work);

private:
    void start();
    void help();

    const unsigned helpers_;
    std::once_flag started_;
    std::atomic<bool> running_{false};  // some helper could be started
    std::mutex mutex_;
    std::condition_variable offered_;
    std::deque<std::weak_ptr<FrameWork>> offers_;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;
};

}  // namespace quorv::cli
