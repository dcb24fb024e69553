#include "cli/input_queue.h"

namespace quorv::cli {

void InputQueue::push(NumberedInput&& input) {
    std::unique_lock lock(mutex_);
    if (inputs_.size() >= capacity_) {
        search_waiting_ = true;
        roomy_.wait(lock, [&] { return inputs_.size() < capacity_; });
        search_waiting_ = false;
    }
    inputs_.push_back(std::move(input));
    if (waiting_workers_ != 0) not_empty_.notify_one();
}

void InputQueue::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    not_empty_.notify_all();
}

std::optional<NumberedInput> InputQueue::pop() {
    std::unique_lock lock(mutex_);
    ++waiting_workers_;
    not_empty_.wait(lock, [&] { return !inputs_.empty() || closed_; });
    --waiting_workers_;
    if (inputs_.empty()) return std::nullopt;
    NumberedInput input = std::move(inputs_.front());
    inputs_.pop_front();
    // The search is woken only once half the queue is free: one wake-up per
    // many inputs, not one per input.
    if (search_waiting_ && inputs_.size() <= capacity_ / 2) roomy_.notify_one();
    return input;
}

}  // namespace quorv::cli
