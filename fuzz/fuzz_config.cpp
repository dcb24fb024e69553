// Any bytes as a configuration file, as pyproject.toml and as quorv-lint.toml,
// through the TOML reader, the key checks and the settings they resolve to:
// never a crash, an error always names the file, and the settings of what
// loads can be asked about any path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "cli/file_settings.h"
#include "cli/project_config.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

constexpr std::string_view kPath = "dir/pyproject.toml";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (bool is_pyproject : {true, false}) {
        const quorv::cli::ConfigLoad load = quorv::cli::load_config(std::string(kPath), "/project", text, is_pyproject);
        if (const auto* error = std::get_if<quorv::cli::ConfigError>(&load)) {
            require(std::string_view(error->message).starts_with(kPath));
        } else if (const auto* config = std::get_if<quorv::cli::ConfigFile>(&load)) {
            const auto settings = quorv::cli::resolve_settings(&config->values, {});
            (void)settings->codes_for("/project/structures/water.xyz");
            (void)settings->excludes_path("/project/build", true);
        } else {
            require(is_pyproject);  // only a pyproject.toml may be no configuration
        }
    }
    return 0;
}
