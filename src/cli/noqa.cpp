#include "cli/noqa.h"

#include <algorithm>
#include <cstring>

#include "cli/code_pages.h"
#include "text/ascii.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kKeyword = "noqa";

bool is_blank(char c) { return c == ' ' || c == '\t'; }
// Wide enough for other linters' codes too ("E501"), so that their lists never
// read as a blanket "noqa" here.
bool is_code_char(char c) { return is_ascii_letter(c) || is_ascii_digit(c) || c == '-' || c == '_'; }

bool starts_with_keyword(std::string_view text) {
    return equals_ignoring_ascii_case(text.substr(0, kKeyword.size()), kKeyword);
}

void skip(std::string_view& text, bool (*predicate)(char)) {
    while (!text.empty() && predicate(text.front())) text.remove_prefix(1);
}

// Calls `word` for each code-like word after "noqa:"; reading stops at the
// first word that is no code. Returns whether there was any code at all.
template <typename Word>
bool for_each_code_word(std::string_view text, Word&& word) {
    bool any = false;
    for (;;) {
        skip(text, [](char c) { return is_blank(c) || c == ','; });
        if (text.empty() || !is_ascii_letter(text.front())) return any;
        std::size_t length = 0;
        while (length < text.size() && is_code_char(text[length])) ++length;
        word(text.substr(0, length));
        any = true;
        text.remove_prefix(length);
    }
}

// The codes after "noqa:", ours or not; returns whether there was any.
bool read_codes(std::string_view text, NoqaComment& comment) {
    return for_each_code_word(text, [&](std::string_view word) {
        if (const CodeEntry* entry = find_code(word)) comment.codes.set(static_cast<std::size_t>(entry->code));
    });
}

// The text after "noqa" of the comment that starts at line[hash], when it is one.
std::optional<std::string_view> after_keyword(std::string_view line, std::size_t hash) {
    std::string_view rest = line.substr(hash + 1);
    skip(rest, is_blank);
    if (!starts_with_keyword(rest)) return std::nullopt;
    rest.remove_prefix(kKeyword.size());
    // "noqa" must end there ("# noqaxyz" is some other word).
    if (!rest.empty() && is_code_char(rest.front())) return std::nullopt;
    return rest;
}

// The noqa comment that starts with the "#" at line[hash], if it is one.
std::optional<NoqaComment> noqa_at(std::string_view line, std::size_t hash) {
    const auto after = after_keyword(line, hash);
    if (!after) return std::nullopt;
    const std::string_view rest = *after;
    NoqaComment comment;
    comment.start = hash;
    const bool has_codes = !rest.empty() && rest.front() == ':' && read_codes(rest.substr(1), comment);
    // Like the Python linters: a colon with no code list still silences the whole line.
    comment.every_code = !has_codes;
    return comment;
}

}  // namespace

std::optional<NoqaComment> find_noqa(std::string_view line) {
    for (std::size_t hash = line.find('#'); hash != std::string_view::npos; hash = line.find('#', hash + 1)) {
        if (auto comment = noqa_at(line, hash)) return comment;
    }
    return std::nullopt;
}

std::vector<std::string_view> unknown_noqa_codes(std::string_view line, const NoqaComment& comment) {
    std::vector<std::string_view> unknown;
    const auto rest = after_keyword(line, comment.start);
    if (rest && rest->starts_with(':')) {
        for_each_code_word(rest->substr(1), [&](std::string_view word) {
            if (find_code(word) == nullptr) unknown.push_back(word);
        });
    }
    return unknown;
}

bool silences(const NoqaComment& comment, Code code) {
    return comment.every_code || comment.codes.test(static_cast<std::size_t>(code));
}

NoqaIndex::NoqaIndex(std::string_view text) {
    // The line the last "#" was on: its number and extent. Each byte is
    // looked at a bounded number of times, however many "#" a line holds.
    std::uint64_t line = 1;
    std::size_t line_begin = 0;
    std::size_t line_end = std::min(text.find('\n'), text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const void* found = std::memchr(text.data() + pos, '#', text.size() - pos);
        if (found == nullptr) break;
        const std::size_t hash = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (hash > line_end) {
            const std::string_view skipped = text.substr(line_end, hash - line_end);
            line += static_cast<std::uint64_t>(std::count(skipped.begin(), skipped.end(), '\n'));
            line_begin = line_end + skipped.rfind('\n') + 1;
            line_end = std::min(text.find('\n', hash), text.size());
        }
        const std::string_view this_line = text.substr(line_begin, line_end - line_begin);
        if (auto comment = noqa_at(this_line, hash - line_begin)) {
            entries_.push_back({line, *comment});
            pos = line_end;  // only the first comment of a line counts
        } else {
            pos = hash + 1;
        }
    }
}

const NoqaIndex::Entry* NoqaIndex::entry_at(std::uint64_t line) const {
    const auto entry = std::lower_bound(entries_.begin(), entries_.end(), line,
                                        [](const Entry& entry, std::uint64_t wanted) { return entry.line < wanted; });
    return entry != entries_.end() && entry->line == line ? &*entry : nullptr;
}

bool NoqaIndex::silences(std::uint64_t line, Code code) const {
    const Entry* entry = entry_at(line);
    return entry != nullptr && cli::silences(entry->comment, code);
}

}  // namespace quorv::cli
