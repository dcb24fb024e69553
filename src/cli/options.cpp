#include "cli/options.h"

#include <algorithm>
#include <string_view>

#include "cli/code_pages.h"
#include "text/format.h"
#include "text/integers.h"

namespace quorv::cli {

namespace {

// JSON and Python files above this are reported as unreadable instead of being
// loaded whole: far larger than any real spec or script, small enough for
// memory. XYZ files are read as a stream.
constexpr std::uint64_t kDefaultMaxFileBytes = 64ull * 1024 * 1024;
// More threads than this would only contend for the disk.
constexpr std::uint64_t kMaxJobs = 1024;

constexpr std::string_view kMissingValue = "option {} needs a value";
constexpr std::string_view kUnknownOption = "unknown option {}";
constexpr std::string_view kBadChoice = "{} must be one of {}, got '{}'";
constexpr std::string_view kUnknownCode = "unknown code '{}' in {} (quorv-lint --list-codes lists the codes)";
constexpr std::string_view kBadNumber = "{} needs a whole number, got '{}'";
constexpr std::string_view kFlagTakesNoValue = "option {} takes no value";
constexpr std::string_view kJobsOutOfRange = "{} must be from 1 to {}, got '{}'";

constexpr std::string_view kHelp = R"(Usage: quorv-lint [OPTIONS] [PATH ...]

Lint XYZ geometries, JSON cluster specs and Python scripts that embed conformers.

A directory is searched for *.xyz, *.extxyz, *.json and *.py files (in any
letter case), skipping hidden and virtualenv folders. A file named on the
command line is linted whatever its name: *.py as Python source, *.xyz and
*.extxyz as XYZ, anything else as a JSON cluster spec. Every frame of an XYZ
file is linted; findings name their frame and line. With no PATH the current
directory is linted. "-" reads standard input.

Options:
  --format FORMAT        text (default), json (one object per line) or sarif
  --select CODES         report only these codes (comma-separated, repeatable)
  --ignore CODES         never report these codes (comma-separated, repeatable)
  --warnings-as-errors   exit with status 1 when there are warnings too
  --stdin-kind KIND      how to read "-": xyz, json (default) or py
  --max-file-size BYTES  report larger JSON and Python files as unreadable
                         (default {}; 0 means no limit; XYZ has none)
  -j, --jobs N           lint N files at a time (default: one per core)
  --explain CODE         print the documentation of a code and exit
  --list-codes           list every code with its severity and summary and exit
                         (one JSON object per line with --format json)
  -h, --help             print this help and exit
  --version              print the version and exit

In a Python file, a trailing "# noqa: CODE[, CODE...]" comment on the reported
line hides that finding ("# noqa" alone hides every finding of the line).

Exit status: 0 when there is no error, 1 when there are errors (or warnings,
with --warnings-as-errors), 2 when a file (or a frame of one) cannot be read or
does not parse, or the command line is wrong.
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

constexpr std::string_view kValueOptions[] = {"--format",        "--stdin-kind", "--select", "--ignore",
                                              "--max-file-size", "-j",           "--jobs",   "--explain"};

constexpr Choice kFormats[] = {{"text", static_cast<int>(OutputFormat::Text)},
                               {"json", static_cast<int>(OutputFormat::Json)},
                               {"sarif", static_cast<int>(OutputFormat::Sarif)}};
constexpr Choice kKinds[] = {{"xyz", static_cast<int>(front::InputKind::Xyz)},
                             {"json", static_cast<int>(front::InputKind::ClusterSpecJson)},
                             {"py", static_cast<int>(front::InputKind::PythonSource)}};

// Adds the codes of one comma-separated list; blank entries are skipped.
std::optional<UsageError> add_codes(std::string_view option, std::string_view list,
                                    std::vector<std::string>& codes) {
    while (true) {
        const std::size_t comma = list.find(',');
        std::string_view code = list.substr(0, comma);
        while (!code.empty() && code.front() == ' ') code.remove_prefix(1);
        while (!code.empty() && code.back() == ' ') code.remove_suffix(1);
        if (!code.empty()) {
            if (find_code(code) == nullptr) return UsageError{fill(kUnknownCode, {code, option})};
            codes.emplace_back(code);
        }
        if (comma == std::string_view::npos) return std::nullopt;
        list.remove_prefix(comma + 1);
    }
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {
        options_.max_file_bytes = kDefaultMaxFileBytes;
    }

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
        return options_;
    }

private:
    std::optional<UsageError> option(std::string_view argument) {
        // "--name=value" and "--name value" mean the same.
        std::string_view name = argument;
        std::optional<std::string_view> inline_value;
        if (const std::size_t equals = argument.find('='); argument.starts_with("--") && equals != argument.npos) {
            name = argument.substr(0, equals);
            inline_value = argument.substr(equals + 1);
        }
        auto flag = [&](auto set) -> std::optional<UsageError> {
            if (inline_value) return UsageError{fill(kFlagTakesNoValue, {name})};
            set();
            return std::nullopt;
        };
        if (name == "-h" || name == "--help") return flag([&] { options_.action = Action::Help; });
        if (name == "--version") return flag([&] { options_.action = Action::Version; });
        if (name == "--list-codes") return flag([&] { options_.action = Action::ListCodes; });
        if (name == "--warnings-as-errors") return flag([&] { options_.warnings_as_errors = true; });

        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), name) == std::end(kValueOptions)) {
            return UsageError{fill(kUnknownOption, {name})};
        }
        std::optional<std::string_view> value = inline_value;
        if (!value) {
            if (index_ >= arguments_.size()) return UsageError{fill(kMissingValue, {name})};
            value = arguments_[index_++];
        }
        if (name == "--format") {
            auto format = pick<OutputFormat>(*value, kFormats);
            if (!format) return UsageError{fill(kBadChoice, {name, choice_names(kFormats), *value})};
            options_.format = *format;
        } else if (name == "--stdin-kind") {
            auto kind = pick<front::InputKind>(*value, kKinds);
            if (!kind) return UsageError{fill(kBadChoice, {name, choice_names(kKinds), *value})};
            options_.stdin_kind = *kind;
        } else if (name == "--select") {
            return add_codes(name, *value, options_.select);
        } else if (name == "--ignore") {
            return add_codes(name, *value, options_.ignore);
        } else if (name == "--max-file-size") {
            auto bytes = parse_digits(*value);
            if (!bytes) return UsageError{fill(kBadNumber, {name, *value})};
            options_.max_file_bytes = *bytes;
        } else if (name == "-j" || name == "--jobs") {
            auto jobs = parse_digits(*value);
            if (!jobs) return UsageError{fill(kBadNumber, {name, *value})};
            if (*jobs == 0 || *jobs > kMaxJobs) return UsageError{fill(kJobsOutOfRange, {name, decimal(kMaxJobs), *value})};
            options_.jobs = static_cast<unsigned>(*jobs);
        } else {
            options_.action = Action::Explain;
            options_.explain_code = std::string(*value);
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

std::string help_text() { return fill(kHelp, {decimal(kDefaultMaxFileBytes)}); }

}  // namespace quorv::cli
