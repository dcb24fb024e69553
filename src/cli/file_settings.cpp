#include "cli/file_settings.h"

#include <algorithm>

namespace quorv::cli {

namespace {

template <typename T>
std::optional<T> first_set(const std::optional<T>& over, const ConfigValues* config,
                           std::optional<T> ConfigValues::*field) {
    if (over) return over;
    if (config != nullptr) return config->*field;
    return std::nullopt;
}

void append(std::vector<AnchoredPattern>& to, const std::optional<std::vector<AnchoredPattern>>& from) {
    if (from) to.insert(to.end(), from->begin(), from->end());
}

}  // namespace

CodeSet FileSettings::codes_for(std::string_view absolute_path) const {
    CodeSet codes = selected;
    for (const PerFileIgnore& entry : per_file_ignores) {
        if (entry.files.matches(absolute_path, false)) codes &= ~entry.codes;
    }
    return codes;
}

bool FileSettings::excludes_path(std::string_view absolute_path, bool is_directory) const {
    return std::any_of(excludes.begin(), excludes.end(), [&](const AnchoredPattern& pattern) {
        return pattern.matches(absolute_path, is_directory);
    });
}

std::shared_ptr<const FileSettings> resolve_settings(const ConfigValues* config, const ConfigValues& command_line) {
    static const ConfigValues kNothing;
    const ConfigValues& file = config != nullptr ? *config : kNothing;
    auto settings = std::make_shared<FileSettings>();

    settings->selected = first_set(command_line.select, config, &ConfigValues::select).value_or(CodeSet().set());
    if (!command_line.select && file.extend_select) settings->selected |= *file.extend_select;
    if (command_line.extend_select) settings->selected |= *command_line.extend_select;
    if (file.ignore) settings->selected &= ~*file.ignore;
    if (command_line.ignore) settings->selected &= ~*command_line.ignore;

    if (file.per_file_ignores) settings->per_file_ignores = *file.per_file_ignores;
    append(settings->excludes, first_set(command_line.exclude, config, &ConfigValues::exclude));
    append(settings->excludes, file.extend_exclude);
    append(settings->excludes, command_line.extend_exclude);

    const bool preview = first_set(command_line.preview, config, &ConfigValues::preview).value_or(false);
    settings->rules = preview ? RuleSet::Preview : RuleSet::Strict;
    settings->warnings_as_errors =
        first_set(command_line.warnings_as_errors, config, &ConfigValues::warnings_as_errors).value_or(false);
    settings->max_file_bytes =
        first_set(command_line.max_file_size, config, &ConfigValues::max_file_size).value_or(kDefaultMaxFileBytes);
    settings->respect_gitignore =
        first_set(command_line.respect_gitignore, config, &ConfigValues::respect_gitignore).value_or(true);
    return settings;
}

}  // namespace quorv::cli
