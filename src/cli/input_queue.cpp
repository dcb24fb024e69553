#include "cli/input_queue.h"

namespace quorv::cli {

void InputQueue::push(InputBatch&& batch) {
    if (batch.empty()) return;
    std::unique_lock lock(mutex_);
    if (inputs_ >= capacity_) {
        search_waiting_ = true;
        roomy_.wait(lock, [&] { return inputs_ < capacity_; });
        search_waiting_ = false;
    }
    inputs_ += batch.size();
    batches_.push_back(std::move(batch));
    starving_.store(false, std::memory_order_relaxed);
    if (waiting_workers_ != 0) not_empty_.notify_one();
}

void InputQueue::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    not_empty_.notify_all();
}

bool InputQueue::pop(InputBatch& batch) {
    std::unique_lock lock(mutex_);
    if (batches_.empty()) starving_.store(true, std::memory_order_relaxed);
    ++waiting_workers_;
    not_empty_.wait(lock, [&] { return !batches_.empty() || (closed_ && holding_workers_ == 0); });
    --waiting_workers_;
    if (batches_.empty()) return false;
    batch = std::move(batches_.front());
    batches_.pop_front();
    inputs_ -= batch.size();
    ++holding_workers_;
    // The search is woken only once half the queue is free: one wake-up per
    // many inputs, not one per input.
    if (search_waiting_ && inputs_ <= capacity_ / 2) roomy_.notify_one();
    return true;
}

void InputQueue::done_with_batch() {
    std::lock_guard lock(mutex_);
    --holding_workers_;
    // Workers that wait for what this one might hand back may stop now.
    if (closed_ && holding_workers_ == 0) not_empty_.notify_all();
}

void InputQueue::hand_back(InputBatch&& rest) {
    if (rest.empty()) return;
    std::lock_guard lock(mutex_);
    inputs_ += rest.size();
    batches_.push_front(std::move(rest));
    starving_.store(false, std::memory_order_relaxed);
    not_empty_.notify_one();
}

}  // namespace quorv::cli
