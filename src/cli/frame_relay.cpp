#include "cli/frame_relay.h"

#include <algorithm>
#include <utility>

#include "cli/input_lint.h"
#include "front/file_reading.h"

namespace quorv::cli {

namespace {

// How much of the input one read takes: the text of a batch. Enough frames
// that passing the reading on costs little against linting them.
constexpr std::size_t kReadBytes = 256 * 1024;

// A block that grew past this for one large frame is given back, not kept
// for the next batch.
constexpr std::size_t kKeptBlockBytes = 4 * kReadBytes;

}  // namespace

FrameRelay::FrameRelay(FrameLinting linting, RelaySource source, std::size_t most_in_flight, TextBlock first,
                       xyz::FrameDivider divider, std::vector<xyz::DividedPiece> pieces)
    : shared_(std::make_shared<FrameBatchShared>(linting)),
      source_(source),
      most_in_flight_(std::max<std::size_t>(most_in_flight, 1)),
      divider_(std::move(divider)),
      text_(std::move(first)),
      pieces_(std::move(pieces)),
      file_end_(source.regular_size) {
    // Taking a batch in flight then never allocates, so it cannot fail.
    in_flight_.reserve(most_in_flight_);
}

RelayEnd FrameRelay::run(FramePool& pool, InputEvents& events, FrameScratch& scratch) {
    // However this ends (also by an exception), no helper is still at work
    // when it returns: helpers read the input's descriptor and the settings
    // view its path, which go with the caller.
    struct StopHelpers {
        FrameRelay& relay;
        ~StopHelpers() {
            std::unique_lock lock(relay.shared_->mutex);
            relay.ended_ = true;
            relay.shared_->finished.notify_all();
            relay.shared_->finished.wait(lock, [&] { return relay.helpers_at_work_ == 0; });
        }
    } stop_helpers{*this};
    for (unsigned helper = 0; helper < pool.helpers(); ++helper) pool.offer(shared_from_this());
    for (;;) {
        write_linted(events, scratch);
        std::unique_lock lock(shared_->mutex);
        if (ended_ && !reading_ && in_flight_.empty()) break;
        if (may_read()) {
            lock.unlock();
            read_and_lint(scratch);
            continue;
        }
        // The reading is someone else's, or the batches in flight are many:
        // the first one's linting, or the reading's end, lets this go on.
        shared_->finished.wait(lock, [&] {
            const bool first_linted = !in_flight_.empty() && in_flight_.front()->state() != FrameBatch::State::Waiting &&
                                      in_flight_.front()->state() != FrameBatch::State::Running;
            return first_linted || may_read() || (ended_ && !reading_ && in_flight_.empty());
        });
    }
    return end_;
}

void FrameRelay::help(FrameScratch& scratch) {
    {
        std::lock_guard lock(shared_->mutex);
        if (ended_) return;
        ++helpers_at_work_;
    }
    // The reading thread waits for this, however the help ends.
    struct LeaveWork {
        FrameRelay& relay;
        ~LeaveWork() {
            {
                std::lock_guard lock(relay.shared_->mutex);
                --relay.helpers_at_work_;
            }
            relay.shared_->finished.notify_all();
        }
    } leave_work{*this};
    for (;;) {
        {
            std::unique_lock lock(shared_->mutex);
            shared_->finished.wait(lock, [&] { return ended_ || may_read(); });
            if (ended_) return;
        }
        read_and_lint(scratch);
        scratch.trim();
    }
}

TextBlock FrameRelay::take_spare_block() {
    std::lock_guard lock(shared_->mutex);
    if (spare_.empty()) return {};
    TextBlock block = std::move(spare_.back());
    spare_.pop_back();
    return block;
}

bool FrameRelay::may_read() const { return !reading_ && !ended_ && in_flight_.size() < most_in_flight_; }

bool FrameRelay::read_and_lint(FrameScratch& scratch) {
    {
        std::lock_guard lock(shared_->mutex);
        if (!may_read()) return false;
        reading_ = true;
    }
    Batch batch;
    std::optional<std::string> failure;
    try {
        batch = read_batch();
    } catch (...) {
        failure = message_of_current_exception();
        // The frames divided before the failure are still linted and counted.
        try {
            if (!pieces_.empty()) batch = cut_batch();
        } catch (...) {
        }
    }
    {
        std::lock_guard lock(shared_->mutex);
        reading_ = false;
        if (batch) in_flight_.push_back(batch);
        if (failure) {
            end_.failure = std::move(failure);
            ended_ = true;
        }
        if (!batch) ended_ = true;
    }
    shared_->finished.notify_all();
    if (batch && batch->claim()) batch->run_held(scratch);
    return batch != nullptr;
}

FrameRelay::Batch FrameRelay::read_batch() {
    for (;;) {
        if (!pieces_.empty() && (text_.size() >= kReadBytes || read_to_end_)) return cut_batch();
        if (read_to_end_) return nullptr;
        drop_what_is_done();
        auto read = front::read_some(source_.fd, text_.room(kReadBytes), kReadBytes, nullptr);
        bool at_end = false;
        if (const auto* failure = std::get_if<front::ReadFailure>(&read)) {
            // What was read is linted; the input failed all the same.
            std::lock_guard lock(shared_->mutex);
            end_.read_error = failure->error_number;
            at_end = true;
        } else {
            const std::size_t got = std::get<std::size_t>(read);
            text_.grew(got);
            at_end = got == 0 || file_end_.reached_after(got, kReadBytes);
        }
        if (at_end) {
            read_to_end_ = true;
            divider_.finish(text_.view(), pieces_);
            continue;
        }
        divider_.divide(text_.view(), pieces_);
    }
}

void FrameRelay::drop_what_is_done() {
    // Blank lines, or a rest that cannot be divided, make no frames: what
    // dividing is done with goes once it is half the text, so that such a
    // stretch is held a block at a time, never whole.
    const std::size_t done = divider_.needed_from();
    if (!pieces_.empty() || done < kReadBytes || 2 * done < text_.size()) return;
    text_.drop_front(done);
    divider_.dropped(done);
}

FrameRelay::Batch FrameRelay::cut_batch() {
    // The frame being divided goes on in the next block.
    const std::size_t needed = divider_.needed_from();
    // The divider looked at every byte of the frames it handed out.
    const bool ascii = divider_.ascii_before(needed);
    TextBlock next = take_spare_block();
    next.assign_tail(text_, needed);
    divider_.dropped(needed);
    auto batch = std::make_shared<FrameBatch>(shared_, std::exchange(text_, std::move(next)), std::move(pieces_), ascii);
    pieces_ = {};
    return batch;
}

void FrameRelay::write_linted(InputEvents& events, FrameScratch& scratch) {
    for (;;) {
        Batch first;
        {
            std::lock_guard lock(shared_->mutex);
            if (in_flight_.empty()) return;
            const FrameBatch::State state = in_flight_.front()->state();
            if (state == FrameBatch::State::Waiting || state == FrameBatch::State::Running) return;
            first = std::move(in_flight_.front());
            in_flight_.erase(in_flight_.begin());
        }
        // Taken off the list, it is this thread's alone: what a helper held,
        // and the rest of it (when the helper's budget ran out) linted here.
        first->finish_in_order(events, scratch);
        end_.counts += first->counts();
        TextBlock block = first->take_text();
        block.release_beyond(kKeptBlockBytes);
        std::lock_guard lock(shared_->mutex);
        if (spare_.size() <= most_in_flight_) spare_.push_back(std::move(block));
        // Room in flight again: a waiting helper may read.
        shared_->finished.notify_all();
    }
}

}  // namespace quorv::cli
