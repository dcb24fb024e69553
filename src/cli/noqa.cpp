#include "cli/noqa.h"

#include <algorithm>

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

// The codes after "noqa:"; reading stops at the first word that is no code.
std::vector<std::string> read_codes(std::string_view text) {
    std::vector<std::string> codes;
    for (;;) {
        skip(text, [](char c) { return is_blank(c) || c == ','; });
        if (text.empty() || !is_ascii_letter(text.front())) return codes;
        std::size_t length = 0;
        while (length < text.size() && is_code_char(text[length])) ++length;
        codes.emplace_back(text.substr(0, length));
        text.remove_prefix(length);
    }
}

}  // namespace

std::optional<NoqaComment> find_noqa(std::string_view line) {
    for (std::size_t hash = line.find('#'); hash != std::string_view::npos; hash = line.find('#', hash + 1)) {
        std::string_view rest = line.substr(hash + 1);
        skip(rest, is_blank);
        if (!starts_with_keyword(rest)) continue;
        rest.remove_prefix(kKeyword.size());
        // "noqa" must end there ("# noqaxyz" is some other word).
        if (!rest.empty() && is_code_char(rest.front())) continue;
        NoqaComment comment;
        if (!rest.empty() && rest.front() == ':') comment.codes = read_codes(rest.substr(1));
        // Like the Python linters: a colon with no code list still silences the whole line.
        comment.every_code = comment.codes.empty();
        return comment;
    }
    return std::nullopt;
}

bool silences(const NoqaComment& comment, std::string_view code) {
    return comment.every_code || std::find(comment.codes.begin(), comment.codes.end(), code) != comment.codes.end();
}

}  // namespace quorv::cli
