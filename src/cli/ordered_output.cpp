#include "cli/ordered_output.h"

#include <utility>

namespace quorv::cli {

namespace {

// Held output is counted against the run's limit in steps of this size, so
// that a thread takes the lock once per step rather than once per finding.
constexpr std::uint64_t kHoldStep = 64 * 1024;

}  // namespace

std::uint64_t held_bytes(const InputEvent& event) {
    constexpr std::uint64_t kTextAllowance = 64;
    if (const auto* problem = std::get_if<InputProblem>(&event)) return sizeof(event) + problem->message.size();
    return sizeof(event) + kTextAllowance;
}

OrderedOutput::OrderedOutput(Reporter& reporter, FlowLimits limits)
    : reporter_(reporter), limits_(limits), finished_(limits.inputs_ahead) {}

OrderedOutput::Report OrderedOutput::begin(std::uint64_t index, std::string_view path, bool warnings_fail) {
    // The head only moves on, so an input close enough to it stays so.
    if (index >= head_.load(std::memory_order_acquire) + limits_.inputs_ahead) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return index < head_.load() + limits_.inputs_ahead; });
    }
    return Report(*this, index, path, warnings_fail);
}

void OrderedOutput::Report::add(Event&& event) {
    if (!streaming_ && owner_.is_head(index_)) start_streaming();
    if (streaming_) {
        owner_.write(path_, event, warnings_fail_);
        return;
    }
    held_bytes_ += held_bytes(event);
    held_.push_back(std::move(event));
    if (held_bytes_ >= charged_bytes_ + kHoldStep) charge_held();
}

void OrderedOutput::Report::charge_held() {
    const std::uint64_t step = held_bytes_ - charged_bytes_;
    if (owner_.hold(index_, step)) charged_bytes_ += step;
    else start_streaming();
}

void OrderedOutput::Report::start_streaming() {
    streaming_ = true;
    for (const Event& event : held_) owner_.write(path_, event, warnings_fail_);
    held_.clear();
    held_.shrink_to_fit();
    if (charged_bytes_ != 0) {
        std::lock_guard lock(owner_.mutex_);
        owner_.held_bytes_ -= charged_bytes_;
        owner_.changed_.notify_all();
    }
    charged_bytes_ = 0;
    held_bytes_ = 0;
}

void OrderedOutput::Report::reserve_text(std::uint64_t bytes) {
    owner_.reserve_text(index_, bytes);
    text_bytes_ += bytes;
}

bool OrderedOutput::hold(std::uint64_t index, std::uint64_t bytes) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return held_bytes_ + bytes <= limits_.held_output_bytes || head_.load() == index; });
    if (head_.load() == index) return false;
    held_bytes_ += bytes;
    return true;
}

// The head takes what it needs, over the limit if it must: a file larger
// than the limit is read alone, and the head never waits.
bool OrderedOutput::text_fits(std::uint64_t index, std::uint64_t held, std::uint64_t bytes) const {
    return held + bytes <= limits_.text_bytes || held == 0 || is_head(index);
}

void OrderedOutput::reserve_text(std::uint64_t index, std::uint64_t bytes) {
    std::uint64_t held = text_bytes_.load();
    while (text_fits(index, held, bytes)) {
        if (text_bytes_.compare_exchange_weak(held, held + bytes)) return;
    }
    // The waiter counts itself before it looks again, and release_text gives
    // bytes back before it looks for waiters: one of the two sees the other.
    std::unique_lock lock(mutex_);
    text_waiters_.fetch_add(1);
    for (held = text_bytes_.load();; held = text_bytes_.load()) {
        if (!text_fits(index, held, bytes)) changed_.wait(lock);
        else if (text_bytes_.compare_exchange_strong(held, held + bytes)) break;
    }
    text_waiters_.fetch_sub(1);
}

void OrderedOutput::release_text(std::uint64_t bytes) {
    if (bytes == 0) return;
    text_bytes_.fetch_sub(bytes);
    if (text_waiters_.load() == 0) return;
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

void OrderedOutput::write(std::string_view path, const Event& event, bool warnings_fail) {
    if (const auto* finding = std::get_if<Finding>(&event)) {
        ++(finding->severity() == Severity::Error ? totals_.errors : totals_.warnings);
        if (warnings_fail && finding->severity() == Severity::Warning) ++totals_.failing_warnings;
        reporter_.finding(path, *finding);
    } else {
        reporter_.problem(path, std::get<InputProblem>(event));
    }
}

void OrderedOutput::count(InputOutcome outcome, const FrameCounts& frames) {
    totals_.frames_linted += frames.linted;
    totals_.frames_failed += frames.failed;
    if (frames.total() > 1) totals_.a_file_had_several_frames = true;
    switch (outcome) {
        case InputOutcome::Linted: ++totals_.files_linted; break;
        case InputOutcome::Failed: ++totals_.failures; break;
        case InputOutcome::Skipped: break;
        case InputOutcome::NotClusterSpec: ++totals_.not_cluster_specs; break;
    }
}

void OrderedOutput::end(Report& report, InputOutcome outcome) {
    release_text(std::exchange(report.text_bytes_, 0));
    // All that a finished input keeps is counted against the limit.
    if (!report.streaming_ && report.held_bytes_ > report.charged_bytes_) report.charge_held();
    if (!is_head(report.index_)) {
        std::lock_guard lock(mutex_);
        // Checked again: the head may have reached it meanwhile.
        if (!is_head(report.index_)) {
            finished_[report.index_ % limits_.inputs_ahead] =
                Finished{std::string(report.path_), std::move(report.held_), outcome,
                         report.frames_,            report.charged_bytes_,  report.warnings_fail_};
            return;
        }
    }
    // Its turn has come: nobody else writes until the head moves on.
    if (!report.streaming_) report.start_streaming();
    count(outcome, report.frames_);
    advance_from(report.index_);
}

// Moves the head past `index`, writing every input after it that finished
// meanwhile, and stops at the first that is still being linted: from then on
// its own thread writes.
void OrderedOutput::advance_from(std::uint64_t index) {
    std::unique_lock lock(mutex_);
    std::uint64_t next = index + 1;
    head_.store(next, std::memory_order_release);
    for (auto* slot = &finished_[next % limits_.inputs_ahead]; slot->has_value();
         slot = &finished_[next % limits_.inputs_ahead]) {
        Finished done = std::move(**slot);
        slot->reset();
        lock.unlock();
        for (const Event& event : done.events) write(done.path, event, done.warnings_fail);
        count(done.outcome, done.frames);
        lock.lock();
        held_bytes_ -= done.held_bytes;
        head_.store(++next, std::memory_order_release);
    }
    changed_.notify_all();
}

}  // namespace quorv::cli
