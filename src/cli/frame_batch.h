// The frames of one XYZ input, linted in batches that one of several
// threads takes: the thread that reads the input, or a helper of the run.
// The reading thread writes every batch out in file order; a helper holds
// what its batch makes until then, within a budget.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/input_lint.h"
#include "cli/input_report.h"
#include "cli/project_config.h"
#include "xyz/frame_reader.h"

namespace quorv::cli {

// What every frame of one input is linted with.
struct FrameLinting {
    CodeSet codes;  // the codes to report
    RuleSet rules;
    bool warn_unused_noqa;
    std::string path;  // as the output shows it
};

// Lints one piece that the frame reader handed out: its findings (those the
// user asked for and its comment line's suppression leaves), or its
// failure, go to `events`, and it is counted as linted or failed. `scratch` is any frame whose storage may be reused.
void lint_frame_piece(const xyz::FramePiece& piece, const FrameLinting& linting, xyz::Frame& scratch,
                      InputEvents& events, FrameCounts& counts);

// What a batch's reading thread and its helpers share: the settings, and
// the signal that a helper finished a batch.
struct FrameBatchShared {
    explicit FrameBatchShared(FrameLinting linting) : linting(std::move(linting)) {}
    const FrameLinting linting;
    std::mutex mutex;
    std::condition_variable finished;
};

class FrameBatch {
public:
    enum class State : std::uint8_t {
        Waiting,     // nobody has taken it yet
        Running,     // a thread lints it
        Done,        // a helper linted it all; `events` holds what it made
        HandedBack,  // a helper stopped at `done` (its budget was spent); the reading thread goes on from there
    };

    explicit FrameBatch(std::shared_ptr<FrameBatchShared> shared) : shared_(std::move(shared)) {}

    void add(xyz::FramePiece&& piece, std::uint64_t text_bytes);
    std::size_t size() const { return pieces_.size(); }
    std::uint64_t text_bytes() const { return text_bytes_; }

    // Takes the batch if nobody has: only one thread ever runs it from the start.
    bool claim();
    State state() const { return state_.load(std::memory_order_acquire); }

    // A helper that took the batch: lints and holds, then says it finished.
    void run_held(xyz::Frame& scratch);
    // The reading thread, once every earlier batch is written: writes what a
    // helper held, then lints what is left straight to `events`.
    void finish_in_order(InputEvents& events, xyz::Frame& scratch);

    const FrameCounts& counts() const { return counts_; }

private:
    std::shared_ptr<FrameBatchShared> shared_;
    std::vector<xyz::FramePiece> pieces_;
    std::uint64_t text_bytes_ = 0;
    std::atomic<State> state_{State::Waiting};
    // Written by the thread that runs the batch, read once it is no longer Running.
    std::vector<InputEvent> held_;  // what the pieces before `done_` made
    std::size_t done_ = 0;
    FrameCounts counts_;  // of the pieces before `done_`
};

}  // namespace quorv::cli
