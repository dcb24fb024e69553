#include "cli/options.h"

#include <algorithm>
#include <string_view>

#include "cli/file_settings.h"
#include "text/format.h"
#include "text/integers.h"

namespace quorv::cli {

namespace {

// More threads than this would only contend for the disk.
constexpr std::uint64_t kMaxJobs = 1024;

constexpr std::string_view kMissingValue = "option {} needs a value";
constexpr std::string_view kUnknownOption = "unknown option {}";
constexpr std::string_view kBadChoice = "{} must be one of {}, got '{}'";
constexpr std::string_view kBadNumber = "{} needs a whole number, got '{}'";
constexpr std::string_view kFlagTakesNoValue = "option {} takes no value";
constexpr std::string_view kJobsOutOfRange = "{} must be from 1 to {}, got '{}'";
constexpr std::string_view kConflict = "{} and {} cannot be used together";
constexpr std::string_view kStatisticsFormats = "--statistics prints text or json, not {}";

constexpr std::string_view kHelp = R"(Usage: quorv-lint [OPTIONS] [PATH ...]

Lint XYZ geometries, JSON cluster specs and Python scripts that embed conformers.

A directory is searched for *.xyz, *.extxyz, *.json and *.py files (in any
letter case), skipping hidden and virtualenv folders and what .gitignore and
.ignore files ignore; JSON files that are plainly no cluster spec are skipped
and counted. A file named on the command line is linted whatever its name:
*.py as Python source, *.xyz and *.extxyz as XYZ, anything else as a JSON
cluster spec. Every frame of an XYZ file is linted; findings name their frame
and line. With no PATH the current directory is linted. "-" reads standard
input.

Settings come from the closest [tool.quorv-lint] table of a pyproject.toml, or
quorv-lint.toml or .quorv-lint.toml, in each input's directory or above it;
the options below win over it. Its keys:
  {}

Choosing findings:
  --select CODES          report only these codes (comma-separated, repeatable)
  --extend-select CODES   add these codes to the selection
  --ignore CODES          never report these codes (adds to the configuration's)
  --preview               judge clusters with the preview rule set
  --no-preview            with the strict rule set, whatever the configuration says
  --warn-unused-noqa      report suppressions that silence nothing (unused-noqa)
  --warnings-as-errors    exit with status 1 when there are warnings too

Choosing files:
  --exclude PATTERNS      leave out what these globs match in a search
                          (comma-separated, repeatable; replaces the configuration's)
  --extend-exclude PATTERNS  leave these out as well
  --respect-gitignore     follow .gitignore and .ignore files (the default)
  --no-respect-gitignore  search every file
  --max-file-size BYTES   report larger JSON and Python files as unreadable
                          (default {}; 0 means no limit; XYZ has none)
  --config PATH           take the settings from this file for every input
  --isolated              read no configuration file at all

Standard input:
  --stdin-kind KIND       how to read "-": xyz, json (the default) or py
  --stdin-filename NAME   the name "-" stands for: its kind, the path shown
                          and where its configuration is found

Output:
  --format FORMAT         text (default), json (one object per line), sarif
                          or github (GitHub Actions annotations)
  --statistics            count the findings per code instead of listing them
  -q, --quiet             print the findings and failures, nothing else
  -o, --output-file PATH  write the output to this file
  --exit-zero             exit with status 0 even when findings fail the run
  -j, --jobs N            lint N files at a time (default: one per core)

Information:
  --explain CODE          print the documentation of a code and exit
  --list-codes            list every code with its severity and summary and
                          exit (one JSON object per line with --format json)
  -h, --help              print this help and exit
  --version               print the version and exit

Suppressions: a trailing "# noqa: CODE[, CODE...]" comment hides that finding
on the reported line of a Python file, or every such finding of a structure
at the end of an XYZ comment line ("# noqa" alone hides every code); a JSON
cluster spec's "noqa": ["CODE", ...] does the same for it; per-file-ignores
in the configuration for whole files.

Exit status: 0 when there is no error, 1 when there are errors (or warnings,
with --warnings-as-errors), 2 when a file (or a frame of one) cannot be read or
does not parse, or the command line or a configuration file is wrong.
)";

struct Choice {
    std::string_view name;
    int value;
};

template <std::size_t N>
std::string choice_names(const Choice (&choices)[N]) {
    std::string names;
    for (const Choice& choice : choices) names += (names.empty() ? "" : ", ") + std::string(choice.name);
    return names;
}

template <typename Enum, std::size_t N>
std::optional<Enum> pick(std::string_view text, const Choice (&choices)[N]) {
    for (const Choice& choice : choices) {
        if (choice.name == text) return static_cast<Enum>(choice.value);
    }
    return std::nullopt;
}

constexpr std::string_view kValueOptions[] = {
    "--format",  "--stdin-kind", "--stdin-filename", "--select", "--extend-select", "--ignore",
    "--exclude", "--extend-exclude", "--max-file-size", "--config", "-o", "--output-file",
    "-j",        "--jobs",       "--explain"};

constexpr Choice kFormats[] = {{"text", static_cast<int>(OutputFormat::Text)},
                               {"json", static_cast<int>(OutputFormat::Json)},
                               {"sarif", static_cast<int>(OutputFormat::Sarif)},
                               {"github", static_cast<int>(OutputFormat::Github)}};
constexpr Choice kKinds[] = {{"xyz", static_cast<int>(front::InputKind::Xyz)},
                             {"json", static_cast<int>(front::InputKind::ClusterSpecJson)},
                             {"py", static_cast<int>(front::InputKind::PythonSource)}};

// Adds the codes of one comma-separated list to `codes`.
std::optional<UsageError> add_codes(std::string_view option, std::string_view list, std::optional<CodeSet>& codes) {
    auto parsed = parse_code_list(list, option);
    if (auto* error = std::get_if<std::string>(&parsed)) return UsageError{std::move(*error)};
    codes = codes.value_or(CodeSet()) | std::get<CodeSet>(parsed);
    return std::nullopt;
}

// Adds the patterns of one comma-separated list; blank entries are skipped.
void add_patterns(std::string_view list, std::optional<std::vector<std::string>>& patterns) {
    if (!patterns) patterns.emplace();
    while (true) {
        const std::size_t comma = list.find(',');
        std::string_view pattern = list.substr(0, comma);
        while (!pattern.empty() && pattern.front() == ' ') pattern.remove_prefix(1);
        while (!pattern.empty() && pattern.back() == ' ') pattern.remove_suffix(1);
        if (!pattern.empty()) patterns->emplace_back(pattern);
        if (comma == std::string_view::npos) return;
        list.remove_prefix(comma + 1);
    }
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    std::variant<Options, UsageError> run() {
        bool options_ended = false;
        while (index_ < arguments_.size()) {
            std::string_view argument = arguments_[index_++];
            if (options_ended || argument == "-" || !argument.starts_with("-")) {
                options_.paths.emplace_back(argument);
            } else if (argument == "--") {
                options_ended = true;
            } else if (auto error = option(argument)) {
                return *error;
            }
        }
        if (options_.config_path && options_.isolated) return UsageError{fill(kConflict, {"--config", "--isolated"})};
        if (options_.statistics && (options_.format == OutputFormat::Sarif || options_.format == OutputFormat::Github)) {
            return UsageError{fill(kStatisticsFormats, {options_.format == OutputFormat::Sarif ? "sarif" : "github"})};
        }
        return options_;
    }

private:
    // Whether `name` is a flag (an option without a value); sets what it says.
    bool flag_option(std::string_view name) {
        bool known = true;
        SettingOptions& settings = options_.settings;
        if (name == "-h" || name == "--help") options_.action = Action::Help;
        else if (name == "--version") options_.action = Action::Version;
        else if (name == "--list-codes") options_.action = Action::ListCodes;
        else if (name == "--warnings-as-errors") settings.warnings_as_errors = true;
        else if (name == "--preview") settings.preview = true;
        else if (name == "--no-preview") settings.preview = false;
        else if (name == "--respect-gitignore") settings.respect_gitignore = true;
        else if (name == "--no-respect-gitignore") settings.respect_gitignore = false;
        else if (name == "--isolated") options_.isolated = true;
        else if (name == "--warn-unused-noqa") options_.warn_unused_noqa = true;
        else if (name == "--statistics") options_.statistics = true;
        else if (name == "-q" || name == "--quiet") options_.quiet = true;
        else if (name == "--exit-zero") options_.exit_zero = true;
        else known = false;
        return known;
    }

    std::optional<UsageError> option(std::string_view argument) {
        // "--name=value" and "--name value" mean the same.
        std::string_view name = argument;
        std::optional<std::string_view> inline_value;
        if (const std::size_t equals = argument.find('='); argument.starts_with("--") && equals != argument.npos) {
            name = argument.substr(0, equals);
            inline_value = argument.substr(equals + 1);
        }
        if (flag_option(name)) {
            if (inline_value) return UsageError{fill(kFlagTakesNoValue, {name})};
            return std::nullopt;
        }
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), name) == std::end(kValueOptions)) {
            return UsageError{fill(kUnknownOption, {name})};
        }
        std::optional<std::string_view> value = inline_value;
        if (!value) {
            if (index_ >= arguments_.size()) return UsageError{fill(kMissingValue, {name})};
            value = arguments_[index_++];
        }
        return value_option(name, *value);
    }

    std::optional<UsageError> value_option(std::string_view name, std::string_view value) {
        SettingOptions& settings = options_.settings;
        if (name == "--format") {
            auto format = pick<OutputFormat>(value, kFormats);
            if (!format) return UsageError{fill(kBadChoice, {name, choice_names(kFormats), value})};
            options_.format = *format;
        } else if (name == "--stdin-kind") {
            auto kind = pick<front::InputKind>(value, kKinds);
            if (!kind) return UsageError{fill(kBadChoice, {name, choice_names(kKinds), value})};
            options_.stdin_kind = *kind;
        } else if (name == "--stdin-filename") {
            options_.stdin_filename = std::string(value);
        } else if (name == "--select") {
            return add_codes(name, value, settings.select);
        } else if (name == "--extend-select") {
            return add_codes(name, value, settings.extend_select);
        } else if (name == "--ignore") {
            return add_codes(name, value, settings.ignore);
        } else if (name == "--exclude") {
            add_patterns(value, settings.exclude);
        } else if (name == "--extend-exclude") {
            add_patterns(value, settings.extend_exclude);
        } else if (name == "--max-file-size") {
            auto bytes = parse_digits(value);
            if (!bytes) return UsageError{fill(kBadNumber, {name, value})};
            settings.max_file_size = *bytes;
        } else if (name == "--config") {
            options_.config_path = std::string(value);
        } else if (name == "-o" || name == "--output-file") {
            options_.output_file = std::string(value);
        } else if (name == "-j" || name == "--jobs") {
            auto jobs = parse_digits(value);
            if (!jobs) return UsageError{fill(kBadNumber, {name, value})};
            if (*jobs == 0 || *jobs > kMaxJobs) return UsageError{fill(kJobsOutOfRange, {name, decimal(kMaxJobs), value})};
            options_.jobs = static_cast<unsigned>(*jobs);
        } else {
            options_.action = Action::Explain;
            options_.explain_code = std::string(value);
        }
        return std::nullopt;
    }

    const std::vector<std::string>& arguments_;
    std::size_t index_ = 0;
    Options options_;
};

}  // namespace

std::variant<Options, UsageError> parse_options(const std::vector<std::string>& arguments) {
    return Parser(arguments).run();
}

std::string help_text() { return fill(kHelp, {config_key_names(), decimal(kDefaultMaxFileBytes)}); }

}  // namespace quorv::cli
