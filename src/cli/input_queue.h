// The inputs the search has found and no worker has taken yet: bounded, so
// that a search far ahead of the linting waits instead of piling up paths
// and open directories.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "cli/input_walk.h"

namespace quorv::cli {

struct NumberedInput {
    std::uint64_t index;  // in output order, from 0
    Input input;
};

class InputQueue {
public:
    explicit InputQueue(std::size_t capacity) : capacity_(capacity) {}

    // Waits while the queue is full.
    void push(NumberedInput&& input);
    // No more inputs will come; the workers drain the queue and stop.
    void close();
    // The next input in order; nullopt once the queue is closed and empty.
    std::optional<NumberedInput> pop();

private:
    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable not_empty_;
    std::condition_variable roomy_;
    std::deque<NumberedInput> inputs_;
    std::size_t waiting_workers_ = 0;
    bool search_waiting_ = false;
    bool closed_ = false;
};

}  // namespace quorv::cli
