// Small files of the project that the search reads for itself (configuration
// and ignore files), and the lexical absolute paths it matches patterns on.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace quorv::cli {

// The file `name` relative to the open directory `directory_fd` (AT_FDCWD for
// a path), whole, or the errno that stopped the read. Larger files than any
// real configuration are refused with EFBIG.
std::variant<std::string, int> read_project_file(int directory_fd, const std::string& name);

// `path` made absolute against `current_directory` and normalised without
// looking at the file system ("." and ".." resolved as text), with no
// trailing "/" except for the root itself.
std::string lexically_absolute(std::string_view current_directory, std::string_view path);

// The directory above an absolute path; the root for the root.
std::string_view parent_directory(std::string_view absolute_path);

// An absolute directory and a name within it.
std::string child_path(std::string_view absolute_directory, std::string_view name);

}  // namespace quorv::cli
