// Where a data set's partitions of an XYZ file start: one pass that divides
// the file into frames, as the frame reader does, without reading their atoms.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "dataset/xyz_file_frames.h"

namespace quorv::dataset {

struct XyzPlan {
    std::uint64_t frames = 0;        // every frame of the file, those that fail included
    std::vector<FrameStart> starts;  // of frames 0, every, 2 * every, ...
};

// The plan for partitions of `every` frames (at least 1), or the errno of a
// failed open or read.
std::variant<XyzPlan, int> plan_xyz_file(const std::string& path, std::uint64_t every);

}  // namespace quorv::dataset
