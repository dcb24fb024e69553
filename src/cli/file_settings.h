// What governs the linting of a file or a searched directory: the closest
// configuration file, with the command line's options over it.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "cli/project_config.h"
#include "lib/lint.h"

namespace quorv::cli {

// JSON and Python files above this are reported as unreadable instead of
// being loaded whole: far larger than any real spec or script, small enough
// for memory. XYZ files are read as a stream, without a limit.
inline constexpr std::uint64_t kDefaultMaxFileBytes = 64ull * 1024 * 1024;

struct FileSettings {
    CodeSet selected;  // select and extend-select, less ignore
    std::vector<PerFileIgnore> per_file_ignores;
    std::vector<AnchoredPattern> excludes;  // exclude and extend-exclude
    RuleSet rules = RuleSet::Strict;
    bool warnings_as_errors = false;
    std::uint64_t max_file_bytes = kDefaultMaxFileBytes;  // 0: no limit
    bool respect_gitignore = true;

    // The codes to report for the file at `absolute_path`.
    CodeSet codes_for(std::string_view absolute_path) const;
    bool excludes_path(std::string_view absolute_path, bool is_directory) const;
};

// The command line's options come on top of a configuration's values:
// --select replaces select (and the file's extend-select), --ignore,
// --extend-select and --extend-exclude add to the file's lists, --exclude
// replaces exclude, and every flag wins over its key. `config` may be null.
std::shared_ptr<const FileSettings> resolve_settings(const ConfigValues* config, const ConfigValues& command_line);

}  // namespace quorv::cli
