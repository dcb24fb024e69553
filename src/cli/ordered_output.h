// Hands what many threads find to the reporter in output order, as it is
// made, and keeps the memory of a run bounded however many inputs, findings
// and threads it has.
//
// Inputs are numbered in output order. The lowest one not yet done is the
// head: its thread writes straight to the reporter, so a file with millions
// of findings streams them and holds none. Every other thread holds what its
// input makes until the head reaches it, within three limits: how far ahead
// of the head an input may start, how many bytes of held output the run
// keeps, and how many bytes of input text it holds at once. A thread at a
// limit waits; the head never does, so the run always moves on.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/input_report.h"
#include "cli/reporter.h"

namespace quorv::cli {

struct FlowLimits {
    std::size_t inputs_ahead = 4096;
    std::uint64_t held_output_bytes = 16 * 1024 * 1024;
    std::uint64_t text_bytes = 512 * 1024 * 1024;
};

class OrderedOutput {
public:
    class Report;

    OrderedOutput(Reporter& reporter, FlowLimits limits);

    // Starts input `index` (each once, from 0 up, at most one at a time per
    // thread); waits while it is too far ahead of the head. With
    // `warnings_fail`, its warnings fail the run as errors do. The path is
    // copied only if the input finishes before its turn: until end() it
    // must stay where it is.
    Report begin(std::uint64_t index, std::string_view path, bool warnings_fail = false);
    // Finishes it: counts it, and writes it and every finished input after
    // it once its turn has come.
    void end(Report& report, InputOutcome outcome);

    // Once every input has ended.
    const RunTotals& totals() const { return totals_; }

private:
    using Event = InputEvent;

    struct Finished {
        std::string path;
        std::vector<Event> events;
        InputOutcome outcome;
        FrameCounts frames;
        std::uint64_t held_bytes;
        bool warnings_fail;
    };

    // Only the head's own thread moves the head on, so an input that finds
    // itself the head stays the head until it ends.
    bool is_head(std::uint64_t index) const { return head_.load(std::memory_order_acquire) == index; }
    bool text_fits(std::uint64_t index, std::uint64_t held, std::uint64_t bytes) const;
    // Called only by the thread whose turn it is to write.
    void write(std::string_view path, const Event& event, bool warnings_fail);
    void count(InputOutcome outcome, const FrameCounts& frames);
    // True when the bytes are held; false when the input became the head
    // instead, and may write what it holds.
    bool hold(std::uint64_t index, std::uint64_t bytes);
    void reserve_text(std::uint64_t index, std::uint64_t bytes);
    void release_text(std::uint64_t bytes);
    void advance_from(std::uint64_t index);

    Reporter& reporter_;
    const FlowLimits limits_;
    RunTotals totals_;  // written only by the thread whose turn it is

    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<std::uint64_t> head_{0};
    std::vector<std::optional<Finished>> finished_;  // by index modulo inputs_ahead
    std::uint64_t held_bytes_ = 0;
    // Taken and given back without the lock, once per input; only a thread
    // that must wait for text takes the lock, and says so in text_waiters_.
    std::atomic<std::uint64_t> text_bytes_{0};
    std::atomic<unsigned> text_waiters_{0};
};

class OrderedOutput::Report final : public InputReport {
public:
    void reserve_text(std::uint64_t bytes) override;
    void finding(Finding&& finding) override { add(std::move(finding)); }
    void problem(InputProblem&& problem) override { add(std::move(problem)); }
    void frames(const FrameCounts& counts) override { frames_ += counts; }

private:
    friend class OrderedOutput;
    Report(OrderedOutput& owner, std::uint64_t index, std::string_view path, bool warnings_fail)
        : owner_(owner), index_(index), path_(path), warnings_fail_(warnings_fail) {}

    void add(Event&& event);
    // Counts what is held and not yet counted against the run's limit.
    void charge_held();
    // Once this input is the head: writes what it held, and from now on writes at once.
    void start_streaming();

    OrderedOutput& owner_;
    std::uint64_t index_;
    std::string_view path_;
    bool warnings_fail_;
    bool streaming_ = false;
    std::vector<Event> held_;
    std::uint64_t held_bytes_ = 0;     // an estimate of what `held_` takes
    std::uint64_t charged_bytes_ = 0;  // of it, counted against the run's limit
    std::uint64_t text_bytes_ = 0;
    FrameCounts frames_;
};

}  // namespace quorv::cli
