#include "cli/output_stream.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace quorv::cli {

namespace {

// Enough to make each write() worth its call, small beside any input.
constexpr std::size_t kBufferBytes = 64 * 1024;

}  // namespace

void OutputStream::write(std::string_view text) {
    if (buffer_.size() + text.size() > kBufferBytes) flush();
    if (text.size() >= kBufferBytes) write_through(text);
    else buffer_.append(text);
}

void OutputStream::flush() {
    write_through(buffer_);
    buffer_.clear();
}

void OutputStream::write_through(std::string_view bytes) {
    while (!bytes.empty() && error_ == 0) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // Standard output may have been left non-blocking by whoever made it.
            pollfd ready{fd_, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            error_ = errno;
        }
    }
}

}  // namespace quorv::cli
