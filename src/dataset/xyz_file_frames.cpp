#include "dataset/xyz_file_frames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <variant>

#include "front/unique_fd.h"

namespace quorv::dataset {

namespace {

// Large enough that a read costs little per byte, small enough that the
// frame reader's buffer stays near the largest frame.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

template <typename Piece>  // a FramePiece, const or not
auto& line_of(Piece& piece) {
    if (auto* text = std::get_if<xyz::FrameText>(&piece)) return text->first_line;
    return std::get<xyz::FrameFailure>(piece).line;
}

bool leaves_rest_undivided(const xyz::FramePiece& piece) {
    const auto* failure = std::get_if<xyz::FrameFailure>(&piece);
    return failure != nullptr && failure->rest_undivided;
}

}  // namespace

std::uint64_t piece_index(const xyz::FramePiece& piece) {
    if (const auto* text = std::get_if<xyz::FrameText>(&piece)) return text->index;
    return std::get<xyz::FrameFailure>(piece).index;
}

std::uint64_t piece_line(const xyz::FramePiece& piece) { return line_of(piece); }

int read_file_frames(const std::string& path, const FrameStart& start, const ChunkObserver& observe,
                     const PieceHandler& handle) {
    // Non-blocking, so that opening a pipe does not wait for a writer; it is refused below.
    const front::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file) return errno;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return errno;
    // A shard is read from offsets, which only a regular file has; a pipe or
    // a device might never end.
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return ESPIPE;
    xyz::FrameReader reader;
    // Hands on what the reader has ready; false once nothing more is wanted.
    const auto drain = [&] {
        while (auto piece = reader.next()) {
            // The reader counts lines from the start it was given.
            line_of(*piece) += start.line - 1;
            const bool last = leaves_rest_undivided(*piece);
            if (!handle(std::move(*piece)) || last) return false;
        }
        return true;
    };
    std::string chunk(kChunkBytes, '\0');
    std::uint64_t offset = start.offset;
    for (;;) {
        const ssize_t got = ::pread(file.get(), chunk.data(), chunk.size(), static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) break;
        const std::string_view bytes(chunk.data(), static_cast<std::size_t>(got));
        if (observe) observe(bytes, offset);
        offset += bytes.size();
        reader.feed(bytes);
        if (!drain()) return 0;
    }
    reader.finish();
    drain();
    return 0;
}

}  // namespace quorv::dataset
