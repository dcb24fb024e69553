#include "cli/lint_run.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "cli/input_queue.h"
#include "cli/ordered_output.h"

namespace quorv::cli {

namespace {

// Enough found inputs to keep every worker busy; few enough that their open
// files and directories stay far below the descriptor limit.
constexpr std::size_t kQueuedInputs = 256;

unsigned worker_count(unsigned jobs) { return jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency()); }

void lint_one(OrderedOutput& output, NumberedInput&& numbered, const LintSettings& settings) {
    OrderedOutput::Report report = output.begin(numbered.index, numbered.input.path);
    const InputOutcome outcome = lint_input(numbered.input, settings, report);
    // The input's file and directory are closed before it is written out.
    numbered.input = Input{};
    output.end(report, outcome);
}

}  // namespace

RunTotals lint_run(const std::vector<std::string>& paths, const LintSettings& settings, unsigned jobs,
                   Reporter& reporter) {
    OrderedOutput output(reporter, FlowLimits{});
    std::uint64_t next_index = 0;
    const unsigned workers = worker_count(jobs);

    if (workers == 1) {
        walk_inputs(paths, [&](Input&& input) { lint_one(output, {next_index++, std::move(input)}, settings); });
        return output.totals();
    }

    InputQueue queue(kQueuedInputs);
    auto work = [&] {
        while (auto numbered = queue.pop()) lint_one(output, std::move(*numbered), settings);
    };
    std::vector<std::jthread> threads;
    // Declared after the threads, so closed before they are joined, also
    // when the search throws.
    struct CloseWhenDone {
        InputQueue& queue;
        ~CloseWhenDone() { queue.close(); }
    } close_when_done{queue};
    try {
        for (unsigned i = 0; i < workers; ++i) threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started do the work.
    }
    if (threads.empty()) {
        walk_inputs(paths, [&](Input&& input) { lint_one(output, {next_index++, std::move(input)}, settings); });
        return output.totals();
    }
    walk_inputs(paths, [&](Input&& input) { queue.push({next_index++, std::move(input)}); });
    queue.close();
    for (std::jthread& thread : threads) thread.join();
    return output.totals();
}

}  // namespace quorv::cli
