#include "cli/frame_batch.h"

#include <optional>
#include <span>
#include <utility>

#include "cli/finding_filter.h"
#include "cli/structure_noqa.h"

#include "front/file_reading.h"
#include "front/lint_frame.h"
#include "front/lint_text.h"
#include "text/utf8.h"

namespace quorv::cli {

namespace {

// What a helper holds for one batch before it hands the rest of the batch
// back to the reading thread, which writes as it lints: a frame with a
// flood of findings never piles up in memory.
constexpr std::uint64_t kHeldBytesPerBatch = 4 * 1024 * 1024;

// A thread keeps the frame it reads into from input to input, unless one
// made it larger than this: then it is given back.
constexpr std::size_t kKeptScratchAtoms = 64 * 1024;

InputProblem located_failure(std::string message, bool names_path, std::uint64_t frame, std::uint64_t line) {
    InputProblem problem{InputProblem::Kind::Failure, std::move(message), names_path, {}};
    problem.location.set_frame(frame);
    problem.location.set_line(line);
    return problem;
}

// A frame that does not read fails as lint_xyz fails on its text alone;
// one that is not UTF-8 as lint_file fails on a file that is not.
InputProblem frame_failure(const xyz::FrameFailure& failure, const FrameLinting& linting) {
    if (failure.not_utf8) {
        return located_failure(front::cannot_read_message(linting.path, failure.message), true, failure.index,
                               failure.line);
    }
    return located_failure(front::not_xyz_message(xyz::failure_text(failure)), false, failure.index, failure.line);
}

// Where a piece is in the input: its frame and first line.
std::pair<std::uint64_t, std::uint64_t> frame_and_line(const xyz::DividedPiece& piece) {
    if (const auto* span = std::get_if<xyz::FrameSpan>(&piece)) return {span->index, span->first_line};
    const auto& failure = std::get<xyz::FrameFailure>(piece);
    return {failure.index, failure.line};
}

// Reads the frame into the scratch frame: the quick way when it can, else
// as the single-frame reader does, with the failure that reader gives.
std::optional<xyz::FrameFailure> read_frame_text(std::string_view text, bool ascii, const xyz::FrameSpan& span,
                                                 FrameScratch& scratch) {
    if ((ascii || is_ascii(text)) && scratch.usual.read(text, span.layout, span.index, span.first_line, scratch.frame)) {
        return std::nullopt;
    }
    return xyz::read_frame(text, span.index, span.first_line, scratch.frame);
}

// Holds events until the budget is spent; from then on it drops them and
// says so.
class HeldEvents final : public InputEvents {
public:
    HeldEvents(std::vector<InputEvent>& held, std::uint64_t budget) : held_(held), budget_(budget) {}
    void finding(Finding&& finding) override { hold(std::move(finding)); }
    void problem(InputProblem&& problem) override { hold(std::move(problem)); }
    bool spent() const { return bytes_ > budget_; }

private:
    void hold(InputEvent&& event) {
        if (spent()) return;
        bytes_ += held_bytes(event);
        held_.push_back(std::move(event));
    }

    std::vector<InputEvent>& held_;
    std::uint64_t budget_;
    std::uint64_t bytes_ = 0;
};

}  // namespace

bool may_carry_noqa(std::string_view frame_text, const xyz::FrameLayout& layout) {
    return frame_text.substr(layout.comment_begin, layout.comment_end - layout.comment_begin).find('#') !=
           std::string_view::npos;
}

void FrameScratch::trim() {
    if (frame.spec.atoms.capacity() > kKeptScratchAtoms) frame = xyz::Frame{};
}

void lint_frame_piece(std::string_view text, bool ascii, const xyz::DividedPiece& piece, const FrameLinting& linting,
                      FrameScratch& scratch, InputEvents& events, FrameCounts& counts) {
    const auto* span = std::get_if<xyz::FrameSpan>(&piece);
    if (span == nullptr) {
        events.problem(frame_failure(std::get<xyz::FrameFailure>(piece), linting));
        ++counts.failed;
        return;
    }
    const std::string_view frame_text = text.substr(span->begin, span->end - span->begin);
    // A suppression on the comment line is blanked in a copy, so that the
    // reader takes charge and multiplicity from the rest of the line; the
    // text itself stays as read (a helper may hand it back to be linted again).
    std::optional<StructureNoqa> noqa;
    std::string blanked;
    std::string_view readable = frame_text;
    if (may_carry_noqa(frame_text, span->layout)) {
        blanked.assign(frame_text);
        noqa = take_comment_noqa(std::span<char>(blanked.data(), blanked.size()), span->first_line);
        if (noqa) {
            noqa->frame = span->index;
            readable = blanked;
        }
    }
    if (auto failure = read_frame_text(readable, ascii, *span, scratch)) {
        events.problem(frame_failure(*failure, linting));
        ++counts.failed;
        return;
    }
    lint_read_frame(scratch.frame, std::move(noqa), linting, events, counts);
}

void lint_read_frame(const xyz::Frame& frame, std::optional<StructureNoqa> noqa, const FrameLinting& linting,
                     InputEvents& events, FrameCounts& counts) {
    FindingFilter findings(linting.codes, front::InputKind::Xyz, {}, linting.warn_unused_noqa, events);
    findings.begin_structure(std::move(noqa));
    if (auto refusal = front::lint_frame(frame, findings, linting.rules)) {
        events.problem(located_failure(std::string(*refusal), false, frame.index, frame.first_line));
        ++counts.failed;
        return;
    }
    findings.end_structure();
    ++counts.linted;
}

void report_frame_exception(const xyz::DividedPiece& piece, InputEvents& events, FrameCounts& counts) {
    const auto [frame, line] = frame_and_line(piece);
    events.problem(located_failure(message_of_current_exception(), false, frame, line));
    ++counts.failed;
}

bool FrameBatch::claim() {
    State waiting = State::Waiting;
    return state_.compare_exchange_strong(waiting, State::Running, std::memory_order_acq_rel);
}

void FrameBatch::run_held(FrameScratch& scratch) {
    HeldEvents held(held_, kHeldBytesPerBatch);
    State end = State::Done;
    for (; done_ < pieces_.size(); ++done_) {
        const std::size_t mark = held_.size();
        const FrameCounts before = counts_;
        bool hand_back = false;
        try {
            lint_frame_piece(text_.view(), ascii_, pieces_[done_], shared_->linting, scratch, held, counts_);
            hand_back = held.spent();
        } catch (...) {
            // The reading thread lints this frame again and reports what goes wrong.
            hand_back = true;
        }
        if (hand_back) {
            held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(mark), held_.end());
            counts_ = before;
            end = State::HandedBack;
            break;
        }
    }
    std::lock_guard lock(shared_->mutex);
    state_.store(end, std::memory_order_release);
    shared_->finished.notify_all();
}

void FrameBatch::finish_in_order(InputEvents& events, FrameScratch& scratch) {
    for (InputEvent& event : held_) {
        if (auto* finding = std::get_if<Finding>(&event)) events.finding(std::move(*finding));
        else events.problem(std::move(std::get<InputProblem>(event)));
    }
    held_ = {};
    for (; done_ < pieces_.size(); ++done_) {
        try {
            lint_frame_piece(text_.view(), ascii_, pieces_[done_], shared_->linting, scratch, events, counts_);
        } catch (...) {
            report_frame_exception(pieces_[done_], events, counts_);
        }
    }
    pieces_ = {};
}

}  // namespace quorv::cli
