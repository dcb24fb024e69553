#include "cli/project_config.h"

#include "cli/code_pages.h"
#include "cli/toml_library.h"
#include "cli/toml_precheck.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kToolSection = "tool";
constexpr std::string_view kOwnSection = "quorv-lint";

constexpr std::string_view kNotToml = "{}:{}:{}: not valid TOML: {}";
constexpr std::string_view kSectionNotTable = "{}:{}: [tool.quorv-lint] must be a table, got {}";
constexpr std::string_view kUnknownKey = "{}:{}: unknown key '{}' (the keys are: {})";
constexpr std::string_view kWrongType = "{}:{}: '{}' must be {}, got {}";
constexpr std::string_view kUnknownCodeInKey = "{}:{}: unknown code '{}' in '{}' (quorv-lint --list-codes lists the codes)";
constexpr std::string_view kUnknownCode = "unknown code '{}' in {} (quorv-lint --list-codes lists the codes)";

constexpr std::string_view kCodeList = "a list of code names";
constexpr std::string_view kPatternList = "a list of glob patterns";
constexpr std::string_view kPerFileTable = "a table of glob patterns, each set to a list of code names";
constexpr std::string_view kBoolean = "true or false";
constexpr std::string_view kByteCount = "a whole number of bytes, 0 or more (0: no limit)";

std::string_view type_name(const toml::node& node) {
    switch (node.type()) {
        case toml::node_type::table: return "a table";
        case toml::node_type::array: return "a list";
        case toml::node_type::string: return "a string";
        case toml::node_type::integer: return "an integer";
        case toml::node_type::floating_point: return "a floating-point number";
        case toml::node_type::boolean: return "a boolean";
        case toml::node_type::date: return "a date";
        case toml::node_type::time: return "a time";
        case toml::node_type::date_time: return "a date-time";
        case toml::node_type::none: break;
    }
    return "nothing";
}

std::string line_of(const toml::node& node) { return decimal(std::uint64_t{node.source().begin.line}); }

// Reads the keys of one configuration table into `values`. (A struct: the
// table of keys below reaches its readers.)
struct KeyReader {
    KeyReader(const std::string& path, std::string_view anchor, ConfigValues& values)
        : path_(path), anchor_(anchor), values_(values) {}

    std::optional<std::string> read(std::string_view key, const toml::node& node);

    std::string wrong_type(std::string_view key, const toml::node& node, std::string_view expected) const {
        return fill(kWrongType, {path_, line_of(node), key, expected, type_name(node)});
    }

    std::optional<std::string> read_codes(std::string_view key, const toml::node& node, std::optional<CodeSet>& out) {
        CodeSet codes;
        if (auto error = codes_of(key, node, codes)) return error;
        out = codes;
        return std::nullopt;
    }

    std::optional<std::string> codes_of(std::string_view key, const toml::node& node, CodeSet& codes) const {
        const toml::array* list = node.as_array();
        if (list == nullptr) return wrong_type(key, node, kCodeList);
        for (const toml::node& item : *list) {
            const auto* name = item.as_string();
            if (name == nullptr) return wrong_type(key, item, kCodeList);
            const CodeEntry* entry = find_code(name->get());
            if (entry == nullptr) return fill(kUnknownCodeInKey, {path_, line_of(item), name->get(), key});
            codes.set(static_cast<std::size_t>(entry->code));
        }
        return std::nullopt;
    }

    std::optional<std::string> read_patterns(std::string_view key, const toml::node& node,
                                             std::optional<std::vector<AnchoredPattern>>& out) const {
        const toml::array* list = node.as_array();
        if (list == nullptr) return wrong_type(key, node, kPatternList);
        std::vector<AnchoredPattern> patterns;
        for (const toml::node& item : *list) {
            const auto* text = item.as_string();
            if (text == nullptr) return wrong_type(key, item, kPatternList);
            patterns.push_back({std::string(anchor_), PathPattern(text->get())});
        }
        out = std::move(patterns);
        return std::nullopt;
    }

    std::optional<std::string> read_per_file_ignores(std::string_view key, const toml::node& node) {
        const toml::table* table = node.as_table();
        if (table == nullptr) return wrong_type(key, node, kPerFileTable);
        std::vector<PerFileIgnore> entries;
        for (const auto& [pattern, codes_node] : *table) {
            PerFileIgnore entry{{std::string(anchor_), PathPattern(pattern.str())}, {}};
            if (codes_node.as_array() == nullptr) return wrong_type(key, codes_node, kPerFileTable);
            if (auto error = codes_of(key, codes_node, entry.codes)) return error;
            entries.push_back(std::move(entry));
        }
        values_.per_file_ignores = std::move(entries);
        return std::nullopt;
    }

    std::optional<std::string> read_boolean(std::string_view key, const toml::node& node, std::optional<bool>& out) {
        const auto* value = node.as_boolean();
        if (value == nullptr) return wrong_type(key, node, kBoolean);
        out = value->get();
        return std::nullopt;
    }

    std::optional<std::string> read_byte_count(std::string_view key, const toml::node& node) {
        const auto* value = node.as_integer();
        if (value == nullptr || value->get() < 0) return wrong_type(key, node, kByteCount);
        values_.max_file_size = static_cast<std::uint64_t>(value->get());
        return std::nullopt;
    }

    const std::string& path_;
    std::string_view anchor_;
    ConfigValues& values_;

    struct Key {
        std::string_view name;
        std::optional<std::string> (*read)(KeyReader&, std::string_view, const toml::node&);
    };
    static const std::vector<Key>& keys();
};

// Every key and how it is read: the one list that the reader, its errors
// and the help text share.
const std::vector<KeyReader::Key>& KeyReader::keys() {
    static const std::vector<Key> table{
        {"select", [](KeyReader& r, auto key, auto& node) { return r.read_codes(key, node, r.values_.select); }},
        {"extend-select",
         [](KeyReader& r, auto key, auto& node) { return r.read_codes(key, node, r.values_.extend_select); }},
        {"ignore", [](KeyReader& r, auto key, auto& node) { return r.read_codes(key, node, r.values_.ignore); }},
        {"per-file-ignores", [](KeyReader& r, auto key, auto& node) { return r.read_per_file_ignores(key, node); }},
        {"exclude", [](KeyReader& r, auto key, auto& node) { return r.read_patterns(key, node, r.values_.exclude); }},
        {"extend-exclude",
         [](KeyReader& r, auto key, auto& node) { return r.read_patterns(key, node, r.values_.extend_exclude); }},
        {"respect-gitignore",
         [](KeyReader& r, auto key, auto& node) { return r.read_boolean(key, node, r.values_.respect_gitignore); }},
        {"warnings-as-errors",
         [](KeyReader& r, auto key, auto& node) { return r.read_boolean(key, node, r.values_.warnings_as_errors); }},
        {"max-file-size", [](KeyReader& r, auto key, auto& node) { return r.read_byte_count(key, node); }},
        {"preview", [](KeyReader& r, auto key, auto& node) { return r.read_boolean(key, node, r.values_.preview); }},
    };
    return table;
}

std::optional<std::string> KeyReader::read(std::string_view key, const toml::node& node) {
    for (const Key& known : keys()) {
        if (known.name == key) return known.read(*this, key, node);
    }
    return fill(kUnknownKey, {path_, line_of(node), key, config_key_names()});
}

}  // namespace

std::string config_key_names() {
    std::string names;
    for (const auto& key : KeyReader::keys()) names += (names.empty() ? "" : ", ") + std::string(key.name);
    return names;
}

bool AnchoredPattern::matches(std::string_view absolute_path, bool is_directory) const {
    if (!pattern.anchored()) {
        const std::size_t slash = absolute_path.rfind('/');
        return pattern.matches(absolute_path.substr(slash == std::string_view::npos ? 0 : slash + 1), is_directory);
    }
    std::string_view relative = absolute_path;
    if (directory == "/") {
        relative.remove_prefix(relative.starts_with('/') ? 1 : 0);
    } else if (relative.starts_with(directory) && relative.size() > directory.size() + 1 &&
               relative[directory.size()] == '/') {
        relative.remove_prefix(directory.size() + 1);
    } else {
        return false;
    }
    return pattern.matches(relative, is_directory);
}

ConfigLoad load_config(std::string path, std::string_view anchor, std::string_view text, bool is_pyproject) {
    // A pyproject.toml that never mentions us is some other tool's business, broken or not.
    const bool may_be_other_tools = is_pyproject && text.find(kOwnSection) == std::string_view::npos;
    if (const auto bad = find_text_toml_forbids(text)) {
        if (may_be_other_tools) return NotAConfig{};
        return ConfigError{fill(kNotToml, {path, decimal(bad->line), decimal(bad->column), bad->description})};
    }
    toml::parse_result parsed = toml::parse(text);
    if (!parsed) {
        const toml::parse_error& error = parsed.error();
        if (may_be_other_tools) return NotAConfig{};
        return ConfigError{fill(kNotToml, {path, decimal(std::uint64_t{error.source().begin.line}),
                                           decimal(std::uint64_t{error.source().begin.column}),
                                           error.description()})};
    }
    const toml::table& document = parsed.table();
    const toml::node* section = &document;
    if (is_pyproject) {
        const toml::table* tool = document[kToolSection].as_table();
        section = tool == nullptr ? nullptr : tool->get(kOwnSection);
        if (section == nullptr) return NotAConfig{};
        if (!section->is_table()) {
            return ConfigError{fill(kSectionNotTable, {path, line_of(*section), type_name(*section)})};
        }
    }
    ConfigFile config{std::move(path), {}};
    KeyReader reader(config.path, anchor, config.values);
    for (const auto& [key, node] : *section->as_table()) {
        if (auto error = reader.read(key.str(), node)) return ConfigError{std::move(*error)};
    }
    return config;
}

std::variant<CodeSet, std::string> parse_code_list(std::string_view list, std::string_view what) {
    CodeSet codes;
    while (true) {
        const std::size_t comma = list.find(',');
        std::string_view code = list.substr(0, comma);
        while (!code.empty() && code.front() == ' ') code.remove_prefix(1);
        while (!code.empty() && code.back() == ' ') code.remove_suffix(1);
        if (!code.empty()) {
            const CodeEntry* entry = find_code(code);
            if (entry == nullptr) return fill(kUnknownCode, {code, what});
            codes.set(static_cast<std::size_t>(entry->code));
        }
        if (comma == std::string_view::npos) return codes;
        list.remove_prefix(comma + 1);
    }
}

}  // namespace quorv::cli
