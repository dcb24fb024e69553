// Suppressions that a structure carries itself: "# noqa: CODE, ..." at the
// end of an XYZ frame's comment line, or a JSON spec's "noqa" key.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/noqa.h"

namespace quorv::cli {

struct StructureNoqa {
    NoqaComment comment;                     // the codes it silences, or every code
    std::vector<std::string> unknown_codes;  // names in it that are no code of ours
    std::uint64_t line = 0;                  // where it is written, counted from 1
    std::optional<std::uint64_t> frame;      // the frame whose comment line it is on
};

// Finds "# noqa" on the comment line of a frame (the second line of
// `frame_text`) and overwrites it, from its "#" to the end of the line, with
// spaces: the reader then takes charge and multiplicity from the rest of the
// line exactly as if the suppression were not there ("0 1  # noqa: x" is the
// bare pair 0 1), and no line or column moves. `first_line` is the input
// line of the frame's count line.
std::optional<StructureNoqa> take_comment_noqa(std::span<char> frame_text, std::uint64_t first_line);

}  // namespace quorv::cli
