// One frame of a multi-frame XYZ file, read as the XYZ reader reads a whole
// file, then given what a data set's mapping adds: a charge and multiplicity
// where its comment line states none, and a unit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/frame_arrays.h"
#include "dataset/shortest_contacts.h"
#include "lib/finding.h"

namespace quorv::dataset {

struct FrameDefaults {
    std::optional<std::int64_t> charge;        // used where the comment line gives none
    std::optional<std::int64_t> multiplicity;  // likewise
    double scale = 1.0;                        // what one unit of the coordinates is in ångström
};

struct XyzFrameResult {
    std::optional<std::string> failure;  // the reader's message when the frame cannot be read
    std::vector<Finding> findings;
    ShortestContacts contacts;
};

XyzFrameResult lint_xyz_frame(std::string_view text, const FrameDefaults& defaults);

// Every frame of a batch, each text one whole frame; frames are numbered
// by their place in the batch.
FrameResults lint_xyz_frames(const std::vector<std::string>& texts, const FrameDefaults& defaults);

}  // namespace quorv::dataset
