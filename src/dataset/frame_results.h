// What linting a run of frames gives, frame by frame: the findings, the
// frames that could not be read or linted, and each frame's contacts for the
// picture. Frames are numbered from 0 in the order they were added.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dataset/shortest_contacts.h"
#include "lib/finding.h"
#include "lib/lint.h"

namespace quorv::dataset {

struct FrameFinding {
    std::uint64_t frame;
    Finding finding;  // its location holds the input line where the frame came from a text
};

struct FrameFailure {
    std::uint64_t frame;
    std::string message;
    std::optional<std::uint64_t> line;  // the input line it is about, where the frame came from a text
};

struct FrameResults {
    std::vector<FrameFinding> findings;     // by frame, each frame's in the rules' order
    std::vector<FrameFailure> failures;     // by frame
    std::vector<double> hydrogen_contacts;  // per frame; NaN for a failed frame
    std::vector<double> heavy_contacts;

    // How many frames have been added: the number the next one gets.
    std::uint64_t frames() const { return hydrogen_contacts.size(); }
    // Adds a frame that was linted, with its contacts.
    void add_linted(const ShortestContacts& contacts);
    // Adds a frame that could not be read or linted.
    void add_failed(std::string message, std::optional<std::uint64_t> line = std::nullopt);

private:
    void add_contacts(const ShortestContacts& contacts);
};

// Keeps each finding in the results as one of the frame being linted, the
// next one to be added.
class FrameFindingSink final : public FindingSink {
public:
    explicit FrameFindingSink(FrameResults& results) : results_(results) {}
    void accept(Finding&& finding) override { results_.findings.push_back({results_.frames(), std::move(finding)}); }

private:
    FrameResults& results_;
};

}  // namespace quorv::dataset
