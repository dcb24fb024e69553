#include "dataset/xyz_plan.h"

#include <cstring>
#include <deque>

namespace quorv::dataset {

namespace {

// The file offset of each line from the first one a frame could still start
// on: the frame reader hands out a frame only once its last line is in, so
// its count line may lie chunks back.
class LineStarts {
public:
    void observe(std::string_view chunk, std::uint64_t offset) {
        const char* const begin = chunk.data();
        const char* const end = begin + chunk.size();
        for (const char* at = begin; (at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr;) {
            ++at;
            starts_.push_back(offset + static_cast<std::uint64_t>(at - begin));
        }
    }
    std::uint64_t offset_of(std::uint64_t line) const { return starts_[line - first_line_]; }
    // Later frames start on this line or after it.
    void forget_before(std::uint64_t line) {
        while (first_line_ < line && starts_.size() > 1) {
            starts_.pop_front();
            ++first_line_;
        }
    }

private:
    std::deque<std::uint64_t> starts_{0};
    std::uint64_t first_line_ = 1;
};

}  // namespace

std::variant<XyzPlan, int> plan_xyz_file(const std::string& path, std::uint64_t every) {
    XyzPlan plan;
    LineStarts lines;
    const auto observe = [&](std::string_view chunk, std::uint64_t offset) { lines.observe(chunk, offset); };
    const auto handle = [&](xyz::FramePiece&& piece) {
        const std::uint64_t index = piece_index(piece);
        const std::uint64_t line = piece_line(piece);
        if (index % every == 0) plan.starts.push_back({lines.offset_of(line), line});
        plan.frames = index + 1;
        lines.forget_before(line);
        return true;
    };
    if (const int error = read_file_frames(path, FrameStart{}, observe, handle); error != 0) return error;
    return plan;
}

}  // namespace quorv::dataset
