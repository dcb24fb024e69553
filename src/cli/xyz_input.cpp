#include "cli/xyz_input.h"

#include <deque>
#include <memory>
#include <utility>
#include <variant>

#include "cli/input_reader.h"
#include "front/file_reading.h"
#include "xyz/frame_reader.h"

namespace quorv::cli {

namespace {

// How much of the input one read takes.
constexpr std::size_t kChunkBytes = 64 * 1024;

// A batch is handed on once it holds this much frame text or this many
// frames: enough that a helper's taking it costs little against linting it.
constexpr std::uint64_t kBatchTextBytes = 64 * 1024;
constexpr std::size_t kBatchFrames = 1024;

// Batches a reading thread keeps in flight per helper (and for itself):
// enough to keep the helpers busy while it divides the next ones.
constexpr std::size_t kBatchesInFlightPerThread = 2;

// The frames of one input on their way to the report, in file order. The
// reading thread divides the input into batches and offers them to the
// pool; it writes out every batch in turn once a helper has linted it. Only
// when too many are in flight does it lint batches itself: the first one if
// nobody has taken it, else a later one (held). Were it to take the first
// one at once, it would nearly always be quicker than the helper that was
// offered it, and the helpers would have little to do.
class FrameStream {
public:
    FrameStream(FrameLinting linting, FramePool& pool, InputReport& report)
        : shared_(std::make_shared<FrameBatchShared>(std::move(linting))),
          pool_(pool),
          report_(report),
          most_in_flight_(pool.helpers() != 0 ? kBatchesInFlightPerThread * (pool.helpers() + 1) : 0) {}

    void add(xyz::FramePiece&& piece) {
        const auto* text = std::get_if<xyz::FrameText>(&piece);
        const std::uint64_t bytes = text != nullptr ? text->text.size() : 0;
        if (!open_) open_ = std::make_shared<FrameBatch>(shared_);
        open_->add(std::move(piece), bytes);
        if (open_->text_bytes() >= kBatchTextBytes || open_->size() >= kBatchFrames) close_batch(true);
    }

    // Lints and writes out everything left; returns the frames' counts.
    FrameCounts finish() {
        // The last batch is the reading thread's own: nothing is left to divide.
        if (open_) close_batch(false);
        make_room(0);
        return counts_;
    }

private:
    void close_batch(bool offer) {
        if (offer && pool_.helpers() != 0) pool_.offer(open_);
        in_flight_.push_back(std::move(open_));
        open_.reset();
        make_room(most_in_flight_);
    }

    // Writes out batches until at most `most` are in flight.
    void make_room(std::size_t most) {
        for (;;) {
            write_linted();
            if (in_flight_.size() <= most) return;
            if (in_flight_.front()->claim()) {
                write_first();  // linted here, straight to the report
            } else if (!lint_a_waiting_batch()) {
                wait_for_first();
            }
        }
    }

    // Writes out, in order, the batches at the front that a helper is done with.
    void write_linted() {
        while (!in_flight_.empty()) {
            const FrameBatch::State state = in_flight_.front()->state();
            if (state == FrameBatch::State::Waiting || state == FrameBatch::State::Running) return;
            write_first();
        }
    }

    // What a helper held of the first batch, and the rest of it linted here.
    void write_first() {
        FrameBatch& first = *in_flight_.front();
        first.finish_in_order(report_, scratch_);
        counts_ += first.counts();
        in_flight_.pop_front();
    }

    // Lints (held) the earliest batch after the first that nobody has taken.
    bool lint_a_waiting_batch() {
        for (const auto& batch : in_flight_) {
            if (batch->claim()) {
                batch->run_held(scratch_);
                return true;
            }
        }
        return false;
    }

    void wait_for_first() {
        const FrameBatch& first = *in_flight_.front();
        std::unique_lock lock(shared_->mutex);
        shared_->finished.wait(lock, [&] { return first.state() != FrameBatch::State::Running; });
    }

    std::shared_ptr<FrameBatchShared> shared_;
    FramePool& pool_;
    InputReport& report_;
    const std::size_t most_in_flight_;
    std::shared_ptr<FrameBatch> open_;
    std::deque<std::shared_ptr<FrameBatch>> in_flight_;
    xyz::Frame scratch_;
    FrameCounts counts_;
};

}  // namespace

InputOutcome lint_xyz_input(Input& input, const RunSettings& run, InputReport& report, std::string& buffer,
                            FramePool& frames) {
    auto opening = open_input(input);
    if (auto* problem = std::get_if<InputProblem>(&opening)) {
        const InputOutcome outcome =
            problem->kind == InputProblem::Kind::Failure ? InputOutcome::Failed : InputOutcome::Skipped;
        report.problem(std::move(*problem));
        return outcome;
    }
    const OpenedInput& opened = std::get<OpenedInput>(opening);
    // A regular file read to the size it had is done: no read to find its end.
    std::uint64_t left_in_file = opened.is_regular_file() ? static_cast<std::uint64_t>(opened.info.st_size) : 0;

    if (buffer.size() < kChunkBytes) buffer.resize(kChunkBytes);
    const FileSettings& settings = *input.settings;
    FrameStream stream({settings.codes_for(input.absolute_path), settings.rules, run.warn_unused_noqa, input.path},
                       frames, report);
    xyz::FrameReader reader;
    const auto divide = [&] {
        while (auto piece = reader.next()) stream.add(std::move(*piece));
    };
    for (;;) {
        auto read = front::read_some(opened.fd, buffer.data(), kChunkBytes, nullptr);
        if (const auto* failure = std::get_if<front::ReadFailure>(&read)) {
            // What was read is linted; the input failed all the same.
            report.frames(stream.finish());
            report.problem(os_failure(input, failure->error_number));
            return InputOutcome::Failed;
        }
        const std::size_t got = std::get<std::size_t>(read);
        if (got == 0) break;
        reader.feed(std::string_view(buffer.data(), got));
        divide();
        if (left_in_file != 0) {
            left_in_file -= std::min<std::uint64_t>(left_in_file, got);
            if (left_in_file == 0 && got < kChunkBytes) break;
        }
    }
    reader.finish();
    divide();
    const FrameCounts counts = stream.finish();
    report.frames(counts);
    return counts.linted != 0 ? InputOutcome::Linted : InputOutcome::Failed;
}

}  // namespace quorv::cli
