#include "front/lint_frame.h"

namespace quorv::front {

namespace {

// Adds the frame and the line to each finding on its way to the sink.
class FrameLocations final : public FindingSink {
public:
    FrameLocations(const xyz::Frame& frame, FindingSink& sink) : frame_(frame), sink_(sink) {}

    void accept(Finding&& finding) override {
        Location& location = finding.location();
        location.set_frame(frame_.index);
        const auto atoms = location.atoms();
        location.set_line(atoms.empty() ? frame_.first_line : frame_.atom_lines[atoms.front()]);
        sink_.accept(std::move(finding));
    }

private:
    const xyz::Frame& frame_;
    FindingSink& sink_;
};

}  // namespace

void lint_frame(const xyz::Frame& frame, FindingSink& sink) {
    FrameLocations located(frame, sink);
    lint(frame.spec, frame.cell, located);
}

}  // namespace quorv::front
