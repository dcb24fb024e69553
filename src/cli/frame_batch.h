// The frames of one XYZ input, linted in batches: a batch is a block of
// the input's text with the frames divided in it. The thread that read a
// block lints it (cli/frame_relay.h); the thread that reads the input
// writes every batch out in file order, and a helper holds what its batch
// makes until then, within a budget.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/input_lint.h"
#include "cli/input_report.h"
#include "cli/project_config.h"
#include "cli/structure_noqa.h"
#include "cli/text_block.h"
#include "xyz/frame_divider.h"
#include "xyz/frame_pieces.h"
#include "xyz/usual_frame.h"

namespace quorv::cli {

// What every frame of one input is linted with.
struct FrameLinting {
    CodeSet codes;  // the codes to report
    RuleSet rules;
    bool warn_unused_noqa;
    std::string_view path;  // as the output shows it; the input's, which outlives its frames
};

// What a thread keeps from frame to frame: the frame it reads into and the
// quick reader of usual frames, with what it remembers.
struct FrameScratch {
    xyz::Frame frame;
    xyz::UsualFrameReader usual;
    // A reading thread's first block for its next input.
    TextBlock kept_block;
    // Gives back the storage of a frame larger than any kept from input to input.
    void trim();
};

// Whether the frame's comment line may carry a suppression: only a "#" can start one.
bool may_carry_noqa(std::string_view frame_text, const xyz::FrameLayout& layout);

// Lints one piece that the divider handed out: its findings (those the user
// asked for and its comment line's suppression leaves), or its failure, go
// to `events`, and it is counted as linted or failed. `text` is what the
// piece's span indexes; `ascii` says that all of it is ASCII.
void lint_frame_piece(std::string_view text, bool ascii, const xyz::DividedPiece& piece, const FrameLinting& linting,
                      FrameScratch& scratch, InputEvents& events, FrameCounts& counts);

// Lints a frame read already, with its comment line's suppression if it has one.
void lint_read_frame(const xyz::Frame& frame, std::optional<StructureNoqa> noqa, const FrameLinting& linting,
                     InputEvents& events, FrameCounts& counts);

// A piece whose linting threw (ran out of memory, say): its failure, at its
// frame and line. Called while the exception is handled.
void report_frame_exception(const xyz::DividedPiece& piece, InputEvents& events, FrameCounts& counts);

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
        Done,        // linted it all; `held_` holds what it made
        HandedBack,  // stopped at `done_` (its budget was spent); the reading thread goes on from there
    };

    // `ascii`: every byte of the pieces' text is ASCII (else each frame is checked).
    FrameBatch(std::shared_ptr<FrameBatchShared> shared, TextBlock text, std::vector<xyz::DividedPiece> pieces,
               bool ascii)
        : shared_(std::move(shared)), text_(std::move(text)), pieces_(std::move(pieces)), ascii_(ascii) {}

    // Takes the batch if nobody has: only one thread ever runs it from the start.
    bool claim();
    State state() const { return state_.load(std::memory_order_acquire); }

    // The thread that took the batch (a helper, or the one that read it):
    // lints and holds, then says it finished.
    void run_held(FrameScratch& scratch);
    // The reading thread, once every earlier batch is written: writes what a
    // helper held, then lints what is left straight to `events`.
    void finish_in_order(InputEvents& events, FrameScratch& scratch);

    const FrameCounts& counts() const { return counts_; }
    // The text's storage, for the reading thread to fill again once the batch is written.
    TextBlock take_text() { return std::move(text_); }

private:
    std::shared_ptr<FrameBatchShared> shared_;
    TextBlock text_;
    std::vector<xyz::DividedPiece> pieces_;
    std::atomic<State> state_{State::Waiting};
    // Written by the thread that runs the batch, read once it is no longer Running.
    std::vector<InputEvent> held_;  // what the pieces before `done_` made
    std::size_t done_ = 0;
    FrameCounts counts_;  // of the pieces before `done_`
    const bool ascii_;
};

}  // namespace quorv::cli
