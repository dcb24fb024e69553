// A buffered writer on a file descriptor that remembers why it failed, so
// that a full disk reports its cause and never passes for a clean run.
#pragma once

#include <string>
#include <string_view>

namespace quorv::cli {

class OutputStream {
public:
    explicit OutputStream(int fd) : fd_(fd) {}
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    void write(std::string_view text);
    void flush();
    // The errno of the first write that failed, or 0. Later writes are dropped.
    int error() const { return error_; }

private:
    void write_through(std::string_view bytes);

    int fd_;
    int error_ = 0;
    std::string buffer_;
};

}  // namespace quorv::cli
