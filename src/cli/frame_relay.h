// The frames of a large XYZ input, read, divided and linted by the thread
// that reads the input and the run's helpers together, in relay: one thread
// at a time holds the reading, takes a block of the input, divides it and
// passes the reading on, then lints that block's frames itself while the
// next thread reads the next block. Each block is thus read, divided and
// linted on one core, whose caches hold it, and never crosses to another.
// The reading thread writes every block's findings out in file order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/frame_batch.h"
#include "cli/frame_pool.h"
#include "cli/input_report.h"
#include "cli/regular_file_end.h"
#include "cli/text_block.h"
#include "xyz/frame_divider.h"

namespace quorv::cli {

// Where a relay reads from: an open input, and how many bytes a regular
// file had (0: read until a read finds the end).
struct RelaySource {
    int fd = -1;
    std::uint64_t regular_size = 0;
};

// How reading an input through a relay ended.
struct RelayEnd {
    FrameCounts counts;
    std::optional<int> read_error;      // a read failed: what was read is linted all the same
    std::optional<std::string> failure;  // reading a block failed (out of memory, say)
};

class FrameRelay final : public FrameWork, public std::enable_shared_from_this<FrameRelay> {
public:
    // `first` holds the input's first bytes, read already; `divider` has
    // divided them into `pieces` (not yet linted).
    FrameRelay(FrameLinting linting, RelaySource source, std::size_t most_in_flight, TextBlock first,
               xyz::FrameDivider divider, std::vector<xyz::DividedPiece> pieces);

    // The reading thread: reads the rest with the helpers, writes every
    // frame's findings and failures to `events` in file order. Returns once
    // no helper is at work on the input any more.
    RelayEnd run(FramePool& pool, InputEvents& events, FrameScratch& scratch);

    // A helper: reads and lints blocks until none is left for it to take.
    void help(FrameScratch& scratch) override;

    // What the reading thread keeps of the blocks for its next input.
    TextBlock take_spare_block();

private:
    using Batch = std::shared_ptr<FrameBatch>;

    // Under the lock: the reading is free and there is room for a block.
    bool may_read() const;
    // Holding the reading: reads on until a block is full of frames (or the
    // input ends) and makes it a batch; none when nothing is left.
    Batch read_batch();
    Batch cut_batch();
    void drop_what_is_done();
    // Takes the reading, reads a batch, passes the reading on and lints the
    // batch (held); false when there was nothing to read.
    bool read_and_lint(FrameScratch& scratch);
    // The reading thread: writes out the batches at the front that are linted.
    void write_linted(InputEvents& events, FrameScratch& scratch);

    const std::shared_ptr<FrameBatchShared> shared_;  // the settings, the lock and its signal
    const RelaySource source_;
    const std::size_t most_in_flight_;

    // Touched by whoever holds the reading.
    bool read_to_end_ = false;
    xyz::FrameDivider divider_;
    TextBlock text_;
    std::vector<xyz::DividedPiece> pieces_;
    RegularFileEnd file_end_;

    // Under shared_->mutex.
    bool reading_ = false;  // someone holds the reading
    bool ended_ = false;    // the input is read to its end (or failed, or its reading thread stopped)
    unsigned helpers_at_work_ = 0;
    std::vector<Batch> in_flight_;
    std::vector<TextBlock> spare_;
    RelayEnd end_;
};

}  // namespace quorv::cli
