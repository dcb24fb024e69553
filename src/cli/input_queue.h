// The inputs the search has found and no worker has taken yet: bounded, so
// that a search far ahead of the linting waits instead of piling up paths
// and open directories. Inputs change hands in batches, so that the search
// and the workers meet (and their caches trade the inputs' memory) once per
// batch rather than once per file.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "cli/input_walk.h"

namespace quorv::cli {

struct NumberedInput {
    std::uint64_t index;  // in output order, from 0
    Input input;
};

// Consecutive inputs, in order.
using InputBatch = std::vector<NumberedInput>;

class InputQueue {
public:
    // A batch is pushed while fewer than `capacity` inputs wait, however
    // they are batched (so at most capacity - 1 plus a batch wait).
    explicit InputQueue(std::size_t capacity) : capacity_(capacity) {}

    // Waits while the queue is full.
    void push(InputBatch&& batch);
    // No more inputs will come; the workers drain the queue and stop.
    void close();
    // The next batch in order into `batch`; false once the queue is closed
    // and empty and no worker holds inputs it may hand back. A worker that
    // took a batch calls done_with_batch() when it has linted or handed back
    // all of it.
    bool pop(InputBatch& batch);
    void done_with_batch();
    // Inputs of a batch that a worker has not begun, for the next worker
    // that waits: they come out first, and need no room.
    void hand_back(InputBatch&& rest);
    // Whether a worker waits with nothing to do: then an input is worth
    // handing on at once, however few come with it.
    bool starving() const { return starving_.load(std::memory_order_relaxed); }

private:
    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable not_empty_;
    std::condition_variable roomy_;
    std::deque<InputBatch> batches_;
    std::size_t inputs_ = 0;  // in all of batches_
    std::size_t waiting_workers_ = 0;
    std::size_t holding_workers_ = 0;  // took a batch and are not done with it
    std::atomic<bool> starving_{false};
    bool search_waiting_ = false;
    bool closed_ = false;
};

}  // namespace quorv::cli
