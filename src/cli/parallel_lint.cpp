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
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(report);
        }
        ready_.notify_all();
    }

    FileReport take(std::size_t index) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return slots_[index].has_value(); });
        FileReport report = std::move(*slots_[index]);
        slots_[index].reset();
        return report;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::optional<FileReport>> slots_;
};

unsigned thread_count(unsigned jobs, std::size_t inputs) {
    unsigned wanted = jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<std::size_t>(wanted, inputs));
}

}  // namespace

void lint_in_parallel(const std::vector<Input>& inputs, const LintSettings& settings, unsigned jobs,
                      const std::function<void(FileReport&&)>& deliver) {
    OrderedResults results(inputs.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t index = next++; index < inputs.size(); index = next++) {
            results.put(index, lint_input(inputs[index], settings));
        }
    };

    std::vector<std::jthread> workers;
    const unsigned count = thread_count(jobs, inputs.size());
    try {
        for (unsigned i = 0; i < count; ++i) workers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started (or this one) do the rest.
    }
    if (workers.empty()) work();

    for (std::size_t index = 0; index < inputs.size(); ++index) deliver(results.take(index));
}

}  // namespace quorv::cli
