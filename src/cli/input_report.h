// What linting one input hands on: its findings and problems as they are
// made, how many frames it held, and how much memory its text is about to
// take.
#pragma once

#include <cstdint>
#include <variant>

#include "cli/reporter.h"
#include "lib/finding.h"

namespace quorv::cli {

// NotClusterSpec: a JSON file found by a search that is plainly no cluster spec.
enum class InputOutcome { Linted, Failed, Skipped, NotClusterSpec };

// The frames of an XYZ input: every frame is either linted or failed.
struct FrameCounts {
    std::uint64_t linted = 0;
    std::uint64_t failed = 0;

    std::uint64_t total() const { return linted + failed; }
    FrameCounts& operator+=(const FrameCounts& other) {
        linted += other.linted;
        failed += other.failed;
        return *this;
    }
};

// One thing an input hands on, for the places that hold them until their turn.
using InputEvent = std::variant<Finding, InputProblem>;

// About what an event takes in memory while held.
std::uint64_t held_bytes(const InputEvent& event);

// Where an input's findings and problems go, in order.
class InputEvents {
public:
    virtual ~InputEvents() = default;
    virtual void finding(Finding&& finding) = 0;
    virtual void problem(InputProblem&& problem) = 0;
};

class InputReport : public InputEvents {
public:
    // Waits, if need be, until the run can hold `bytes` more of input text;
    // they are given back when the input is done.
    virtual void reserve_text(std::uint64_t bytes) = 0;
    // The frames of an XYZ input, once they are all linted or failed.
    virtual void frames(const FrameCounts& counts) = 0;
};

}  // namespace quorv::cli
