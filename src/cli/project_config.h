// The configuration of a project: the [tool.quorv-lint] table of a
// pyproject.toml, or the whole of a quorv-lint.toml or .quorv-lint.toml,
// checked key by key. Anything it does not know, or of the wrong type, is an
// error that names the file, the line, the key and what it expects.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/path_pattern.h"
#include "lib/catalog.h"

namespace quorv::cli {

using CodeSet = std::bitset<kCatalog.size()>;

// A pattern and the absolute directory its anchored form is relative to. A
// pattern without a "/" matches the last component of a path anywhere.
struct AnchoredPattern {
    std::string directory;
    PathPattern pattern;

    bool matches(std::string_view absolute_path, bool is_directory) const;
};

struct PerFileIgnore {
    AnchoredPattern files;
    CodeSet codes;
};

// What a configuration file, or the command line, sets; nullopt where it says nothing.
struct ConfigValues {
    std::optional<CodeSet> select;
    std::optional<CodeSet> extend_select;
    std::optional<CodeSet> ignore;
    std::optional<std::vector<AnchoredPattern>> exclude;
    std::optional<std::vector<AnchoredPattern>> extend_exclude;
    std::optional<std::vector<PerFileIgnore>> per_file_ignores;
    std::optional<bool> warnings_as_errors;
    std::optional<std::uint64_t> max_file_size;
    std::optional<bool> respect_gitignore;
    std::optional<bool> preview;
};

struct ConfigFile {
    std::string path;  // as messages show it
    ConfigValues values;
};

// A pyproject.toml without a [tool.quorv-lint] table configures nothing.
struct NotAConfig {};

struct ConfigError {
    std::string message;  // "{path}:{line}: ..." or "{path}: ..."
};

using ConfigLoad = std::variant<ConfigFile, NotAConfig, ConfigError>;

// The file names a directory's configuration may have, in the order they are
// preferred when a directory has more than one.
inline constexpr std::string_view kConfigFileNames[] = {".quorv-lint.toml", "quorv-lint.toml", "pyproject.toml"};
inline constexpr std::string_view kPyprojectName = "pyproject.toml";

// Reads a configuration file's text. `path` is how messages name it;
// `anchor` is the absolute directory that its patterns are relative to.
ConfigLoad load_config(std::string path, std::string_view anchor, std::string_view text, bool is_pyproject);

// The names of the keys, comma-separated, as the help and errors list them.
std::string config_key_names();

// Reads a comma-separated list of codes for `what` (an option or key);
// blank entries are skipped. The error names the unknown code.
std::variant<CodeSet, std::string> parse_code_list(std::string_view list, std::string_view what);

}  // namespace quorv::cli
