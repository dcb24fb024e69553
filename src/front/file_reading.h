// Reading an input file whole as strict UTF-8, with the texts of its failures.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace quorv::front {

// Why a file could not be read, e.g. "No such file or directory (os error 2)".
struct FileReadError {
    std::string description;
};

// The C library's text for an error number, framed as "{} (os error {})".
std::string os_error_description(int error_number);

// The description of content that is not UTF-8.
std::string_view not_utf8_description();

// The whole file, checked to be strict UTF-8 (a byte-order mark is kept).
std::variant<std::string, FileReadError> read_utf8_file(const std::string& path);

// "cannot read {path}: {description}": how a failed read is reported.
std::string cannot_read_message(std::string_view path, std::string_view description);

}  // namespace quorv::front
