#include "cli/xyz_input.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "cli/input_reader.h"
#include "cli/text_block.h"
#include "front/file_reading.h"
#include "text/utf8.h"
#include "xyz/frame_divider.h"

namespace quorv::cli {

namespace {

// How much of the input one read takes: the text of a batch. Enough frames
// that a helper's taking a batch costs little against linting it.
constexpr std::size_t kReadBytes = 256 * 1024;

// Batches a reading thread keeps in flight per helper (and for itself):
// enough to keep the helpers busy while it divides the next ones.
constexpr std::size_t kBatchesInFlightPerThread = 2;

// A block that grew past this for one large frame is given back, not kept
// for the next batch.
constexpr std::size_t kKeptBlockBytes = 4 * kReadBytes;

// Whether the bytes are all ASCII white space (blank lines, say).
bool is_ascii_blank(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

// Each thread reads frames into storage of its own, kept from input to input.
FrameScratch& thread_scratch() {
    thread_local FrameScratch scratch;
    return scratch;
}

// The frames of one input on their way to the report, in file order. The
// reading thread reads the input into blocks, divides each into frames and
// offers it as a batch to the pool; it writes out every batch in turn once
// a helper has linted it. Only when too many are in flight does it lint
// batches itself: the first one if nobody has taken it, else a later one
// (held). Were it to take the first one at once, it would nearly always be
// quicker than the helper that was offered it, and the helpers would have
// little to do. A small input, read in one block, is linted at once.
class FrameStream {
public:
    FrameStream(FrameLinting linting, FramePool& pool, InputReport& report)
        : linting_(linting),
          pool_(pool),
          report_(report),
          most_in_flight_(pool.helpers() != 0 ? kBatchesInFlightPerThread * (pool.helpers() + 1) : 0),
          text_(std::move(thread_scratch().kept_block)) {
        text_.clear();
    }

    // Room for the next read at the end of the text.
    char* room(std::size_t bytes) { return text_.room(bytes); }

    // The read put `bytes` more into the room: divides what it completes,
    // and hands on a batch when the block is full.
    void read(std::size_t bytes) {
        text_.grew(bytes);
        // Until the first block is full the input may be a small file of one
        // frame, which finish() reads without dividing.
        if (!dividing_ && text_.size() < kReadBytes) return;
        dividing_ = true;
        divider_.divide(text_.view(), pieces_);
        if (!pieces_.empty() && text_.size() >= kReadBytes) close_batch(true);
    }

    // Divides and lints whatever is left and writes it all out; returns the frames' counts.
    FrameCounts finish() {
        if (!dividing_ && lint_as_one_frame()) return done();
        divider_.finish(text_.view(), pieces_);
        if (in_flight_.empty()) {
            // An input read in one block (a file of a molecule or a few frames)
            // is linted at once, with no batch made for it.
            lint_here();
        } else if (!pieces_.empty()) {
            // The last batch is the reading thread's own: nothing is left to divide.
            close_batch(false);
        }
        make_room(0);
        return done();
    }

private:
    FrameCounts done() {
        FrameScratch& scratch = thread_scratch();
        scratch.trim();
        if (!spare_.empty()) scratch.kept_block = std::move(spare_.back());
        else scratch.kept_block = std::move(text_);
        return counts_;
    }

    // A whole input of one usual frame (followed by blank lines at most),
    // read and linted as dividing it would have; false, with nothing done,
    // for any other input.
    bool lint_as_one_frame() {
        const std::string_view text = text_.view();
        const auto layout = xyz::first_frame_layout(text);
        if (!layout || !is_ascii(text) || may_carry_noqa(text, *layout)) return false;
        FrameScratch& scratch = thread_scratch();
        std::size_t end = 0;
        if (!scratch.usual.read(text, *layout, 0, 1, scratch.frame, &end) || !is_ascii_blank(text.substr(end))) {
            return false;
        }
        try {
            lint_read_frame(scratch.frame, std::nullopt, linting_, report_, counts_);
        } catch (...) {
            report_frame_exception(xyz::FrameSpan{0, 1, 0, end, *layout}, report_, counts_);
        }
        return true;
    }

    void lint_here() {
        const bool ascii = divider_.ascii_before(text_.size());
        for (const xyz::DividedPiece& piece : pieces_) {
            try {
                lint_frame_piece(text_.view(), ascii, piece, linting_, thread_scratch(), report_, counts_);
            } catch (...) {
                report_frame_exception(piece, report_, counts_);
            }
        }
        pieces_.clear();
    }

    void close_batch(bool offer) {
        if (!shared_) shared_ = std::make_shared<FrameBatchShared>(linting_);
        // The frame being divided goes on in the next block.
        const std::size_t needed = divider_.needed_from();
        // The divider looked at every byte of the frames it handed out.
        const bool ascii = divider_.ascii_before(needed);
        TextBlock next = spare_block();
        next.assign_tail(text_, needed);
        divider_.dropped(needed);
        auto batch = std::make_shared<FrameBatch>(shared_, std::exchange(text_, std::move(next)), std::move(pieces_),
                                                  ascii);
        pieces_ = {};
        if (offer && pool_.helpers() != 0) pool_.offer(batch);
        in_flight_.push_back(std::move(batch));
        make_room(most_in_flight_);
    }

    TextBlock spare_block() {
        if (spare_.empty()) return {};
        TextBlock block = std::move(spare_.back());
        spare_.pop_back();
        block.clear();
        return block;
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
        first.finish_in_order(report_, thread_scratch());
        counts_ += first.counts();
        TextBlock block = first.take_text();
        block.release_beyond(kKeptBlockBytes);
        if (spare_.size() < most_in_flight_ + 1) spare_.push_back(std::move(block));
        in_flight_.erase(in_flight_.begin());
    }

    // Lints (held) the earliest batch after the first that nobody has taken.
    bool lint_a_waiting_batch() {
        for (const auto& batch : in_flight_) {
            if (batch->claim()) {
                batch->run_held(thread_scratch());
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

    const FrameLinting linting_;
    std::shared_ptr<FrameBatchShared> shared_;  // made with the first batch
    FramePool& pool_;
    InputReport& report_;
    const std::size_t most_in_flight_;
    bool dividing_ = false;
    xyz::FrameDivider divider_;
    TextBlock text_;
    std::vector<xyz::DividedPiece> pieces_;
    // A few at a time (and a deque would allocate for every input, batches or not).
    std::vector<std::shared_ptr<FrameBatch>> in_flight_;
    std::vector<TextBlock> spare_;
    FrameCounts counts_;
};

}  // namespace

InputOutcome lint_xyz_input(Input& input, const RunSettings& run, InputReport& report, std::string& /*buffer*/,
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

    const FileSettings& settings = *input.settings;
    FrameStream stream({settings.codes_for(input.absolute_path), settings.rules, run.warn_unused_noqa, input.path},
                       frames, report);
    for (;;) {
        auto read = front::read_some(opened.fd, stream.room(kReadBytes), kReadBytes, nullptr);
        if (const auto* failure = std::get_if<front::ReadFailure>(&read)) {
            // What was read is linted; the input failed all the same.
            report.frames(stream.finish());
            report.problem(os_failure(input, failure->error_number));
            return InputOutcome::Failed;
        }
        const std::size_t got = std::get<std::size_t>(read);
        if (got == 0) break;
        stream.read(got);
        if (left_in_file != 0) {
            left_in_file -= std::min<std::uint64_t>(left_in_file, got);
            if (left_in_file == 0 && got < kReadBytes) break;
        }
    }
    const FrameCounts counts = stream.finish();
    report.frames(counts);
    return counts.linted != 0 ? InputOutcome::Linted : InputOutcome::Failed;
}

}  // namespace quorv::cli
