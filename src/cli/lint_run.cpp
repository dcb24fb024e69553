#include "cli/lint_run.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <system_error>
#include <thread>
#include <utility>

#include "cli/frame_pool.h"
#include "cli/input_queue.h"
#include "cli/ordered_output.h"

namespace quorv::cli {

namespace {

// Enough found inputs to keep every worker busy; few enough that their open
// files and directories stay far below the descriptor limit.
constexpr std::size_t kQueuedInputs = 256;
// Inputs handed to a worker at once while it has work: a few hundred
// microseconds of small files, little beside the run.
constexpr std::size_t kBatchInputs = 32;
// A batch that takes longer than this is no batch of small files: the rest
// of it goes to whichever worker is idle.
constexpr std::chrono::milliseconds kSlowBatch{2};

// A worker keeps the buffer it reads inputs into, unless one made it larger
// than this: then it is given back, so that idle workers hold little.
constexpr std::size_t kKeptBufferBytes = 1024 * 1024;

unsigned worker_count(unsigned jobs) { return jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency()); }

// What one worker does with each input it takes.
class Worker {
public:
    Worker(OrderedOutput& output, const RunSettings& run, FramePool& frames)
        : output_(output), run_(run), frames_(frames) {}

    void lint(NumberedInput&& numbered) {
        Input& input = numbered.input;
        input.complete_path();
        const bool warnings_fail = input.settings != nullptr && input.settings->warnings_as_errors;
        OrderedOutput::Report report = output_.begin(numbered.index, input.path, warnings_fail);
        const InputOutcome outcome = lint_input(input, run_, report, buffer_, frames_);
        if (buffer_.size() > kKeptBufferBytes) buffer_ = std::string();
        // The input's file and directory are closed before it is written out;
        // its path, which the report shows, lives until then.
        input.close();
        output_.end(report, outcome);
    }

private:
    OrderedOutput& output_;
    const RunSettings& run_;
    FramePool& frames_;
    std::string buffer_;
};

}  // namespace

RunTotals lint_run(const std::vector<std::string>& paths, std::string_view stdin_name, ProjectSettings& project,
                   const RunSettings& run, unsigned jobs, Reporter& reporter) {
    OrderedOutput output(reporter, FlowLimits{});
    std::uint64_t next_index = 0;
    const unsigned workers = worker_count(jobs);
    auto with_walk_counts = [&](const WalkCounts& counts) {
        RunTotals totals = output.totals();
        totals.ignored = counts.ignored;
        totals.excluded = counts.excluded;
        return totals;
    };
    // The frames of a large XYZ file go to the other cores too; the thread
    // reading it is the one more.
    FramePool frames(workers - 1);

    auto lint_while_searching = [&] {
        Worker worker(output, run, frames);
        return with_walk_counts(walk_inputs(paths, stdin_name, project, [&](Input&& input) {
            worker.lint({next_index++, std::move(input)});
        }));
    };
    if (workers == 1) return lint_while_searching();

    InputQueue queue(kQueuedInputs);
    auto work = [&] {
        Worker worker(output, run, frames);
        InputBatch batch;
        while (queue.pop(batch)) {
            const auto started = std::chrono::steady_clock::now();
            for (std::size_t i = 0; i < batch.size(); ++i) {
                // A batch that turned out slow (a large file in it) gives
                // what it has not begun to a worker with nothing to do.
                if (i > 0 && queue.starving() && std::chrono::steady_clock::now() - started > kSlowBatch) {
                    queue.hand_back(InputBatch(std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(i)),
                                               std::make_move_iterator(batch.end())));
                    break;
                }
                worker.lint(std::move(batch[i]));
            }
            queue.done_with_batch();
        }
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
    if (threads.empty()) return lint_while_searching();
    InputBatch found;
    const WalkCounts counts = walk_inputs(paths, stdin_name, project, [&](Input&& input) {
        found.push_back({next_index++, std::move(input)});
        if (found.size() >= kBatchInputs || queue.starving()) queue.push(std::exchange(found, InputBatch()));
    });
    queue.push(std::move(found));
    queue.close();
    for (std::jthread& thread : threads) thread.join();
    return with_walk_counts(counts);
}

}  // namespace quorv::cli
