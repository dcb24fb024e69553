// Reading an input file whole as strict UTF-8, with the texts of its failures.
// The module and the command share the reading itself; each says where to
// stop and what to do while a slow read waits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "front/unique_fd.h"

namespace quorv::front {

// Why a file could not be read, e.g. "No such file or directory (os error 2)".
struct FileReadError {
    std::string description;
    bool stopped = false;  // the pacer stopped it: the description is empty
};

// The C library's text for an error number, framed as "{} (os error {})".
std::string os_error_description(int error_number);

// The description of content that is not UTF-8.
std::string_view not_utf8_description();

// "cannot read {path}: {description}": how a failed read is reported.
std::string cannot_read_message(std::string_view path, std::string_view description);

// What a read does while it waits: called after a read that a signal
// interrupted, and between large pieces of a long read. Returning false
// stops the read (the module's KeyboardInterrupt).
class ReadPacer {
public:
    virtual ~ReadPacer() = default;
    virtual bool keep_going() = 0;
};

// How reading an open file ended.
struct ReadFailure {
    enum class Kind { OsError, TooLarge, Stopped } kind;
    int error_number = 0;  // for OsError
};

// Reads what `fd` has next into `data`, at most `size` bytes: how many were
// read, 0 at the end. Waits on a pipe opened without blocking, and retries a
// read a signal interrupted (asking the pacer first, which may be null).
std::variant<std::size_t, ReadFailure> read_some(int fd, char* data, std::size_t size, ReadPacer* pacer);

// Reads everything left in `fd` into the start of `buffer`, but never more
// than `most_bytes`: a file that is or grows larger fails with TooLarge. A
// regular file of `regular_size` bytes is read whole with one read() (and
// one more that finds its end); a stream (no size) in growing pieces. Returns
// how many bytes were read. The buffer only grows, so that one kept from file
// to file costs no allocation. The pacer may be null.
std::variant<std::size_t, ReadFailure> read_open_file(int fd, std::optional<std::uint64_t> regular_size,
                                                      std::uint64_t most_bytes, ReadPacer* pacer,
                                                      std::string& buffer);

// The whole file at `path`, checked to be strict UTF-8 (a byte-order mark is
// kept), as the module's lint_file reads it. A regular file is read at any
// size; anything else (a pipe, a device) at most kMostStreamBytes, and a
// regular file that grows while read at most that or its size when opened.
// Beyond that the read fails with "File too large (os error 27)".
inline constexpr std::uint64_t kMostStreamBytes = std::uint64_t{1} << 30;
std::variant<std::string, FileReadError> read_utf8_file(const std::string& path, ReadPacer* pacer = nullptr);

}  // namespace quorv::front
