#include "cli/parallel_lint.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace quorv::cli {

namespace {

// Inputs are handed out one at a time from a shared counter, so a slow file
// never holds up a whole batch; finished reports wait in their slot until
// every earlier one has been delivered.
class OrderedResults {
public:
    explicit OrderedResults(std::size_t count) : slots_(count) {}

    void put(std::size_t index, FileReport&& report) {
        bool awaited = false;
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(report);
            awaited = index == awaited_;
        }
        // Only the slot the deliverer is blocked on is worth a wake-up.
        if (awaited) ready_.notify_one();
    }

    // The report for `index`, waiting for it when `wait` is set; nullopt when
    // it is not done and `wait` is not set.
    std::optional<FileReport> take(std::size_t index, bool wait) {
        std::unique_lock lock(mutex_);
        if (wait) {
            awaited_ = index;
            ready_.wait(lock, [&] { return slots_[index].has_value(); });
        }
        std::optional<FileReport> report = std::move(slots_[index]);
        slots_[index].reset();
        return report;
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::optional<FileReport>> slots_;
    std::size_t awaited_ = kNone;
};

unsigned thread_count(unsigned jobs, std::size_t inputs) {
    unsigned wanted = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<std::size_t>(wanted, inputs));
}

}  // namespace

void lint_in_parallel(const std::vector<Input>& inputs, const LintSettings& settings, unsigned jobs,
                      const std::function<void(FileReport&&)>& deliver) {
    const unsigned count = thread_count(jobs, inputs.size());
    if (count <= 1) {
        for (const Input& input : inputs) deliver(lint_input(input, settings));
        return;
    }

    OrderedResults results(inputs.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t index = next++; index < inputs.size(); index = next++) {
            results.put(index, lint_input(inputs[index], settings));
        }
    };

    // The calling thread is one of the `count` workers: between its own files
    // it delivers whatever is ready, in order.
    std::vector<std::jthread> helpers;
    try {
        for (unsigned i = 1; i < count; ++i) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started and this one do the rest.
    }
    std::size_t delivered = 0;
    for (std::size_t index = next++; index < inputs.size(); index = next++) {
        results.put(index, lint_input(inputs[index], settings));
        while (delivered < inputs.size()) {
            std::optional<FileReport> report = results.take(delivered, false);
            if (!report) break;
            deliver(std::move(*report));
            ++delivered;
        }
    }
    for (; delivered < inputs.size(); ++delivered) deliver(std::move(*results.take(delivered, true)));
}

}  // namespace quorv::cli
