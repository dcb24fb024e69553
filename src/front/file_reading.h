// Reading an input file and choosing its reader by name, shared by the
// Python module's lint_file and the command-line tool.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace quorv {

// Why a file could not be read, e.g. "No such file or directory (os error 2)".
struct FileReadError {
    std::string description;
};

// The C library's text for an error number, framed as "{} (os error {})".
std::string os_error_description(int error_number);

// The whole file, checked to be strict UTF-8 (a byte-order mark is kept).
std::variant<std::string, FileReadError> read_utf8_file(const std::string& path);

// True when the bytes are well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool is_valid_utf8(std::string_view bytes);

enum class InputKind { PythonSource, Xyz, ClusterSpecJson };

// By the byte-wise, case-sensitive suffix of the whole path text, never by content.
InputKind input_kind_for_path(std::string_view path);

}  // namespace quorv
