#include "cli/toml_precheck.h"

#include <algorithm>
#include <cstddef>

#include "text/format.h"
#include "text/utf8.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kNotUtf8 = "the file is not UTF-8";
constexpr std::string_view kControlCharacter = "control character U+{} is not allowed";
constexpr std::string_view kNonAsciiOutsideStrings =
    "a non-ASCII character outside a string or a comment (keys that are not ASCII must be quoted)";

bool is_forbidden_control(unsigned char byte) {
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
}

std::string four_hex_digits(unsigned value) {
    constexpr char kHex[] = "0123456789ABCDEF";
    return {kHex[(value >> 12) & 0xF], kHex[(value >> 8) & 0xF], kHex[(value >> 4) & 0xF], kHex[value & 0xF]};
}

// Where the first non-ASCII byte outside strings and comments is, reading
// the text as TOML's lexer does: comments from "#" to the end of the line;
// basic strings with backslash escapes, literal strings without; their
// multi-line forms closed by three quotes, up to two more quotes being
// content. A single-line string ends at the end of its line (unclosed, the
// reader stops there with an error of its own).
std::size_t first_non_ascii_outside_strings(std::string_view text) {
    enum class In { Structure, Comment, Basic, Literal, MultiLineBasic, MultiLineLiteral };
    In in = In::Structure;
    const auto three_at = [&](std::size_t i, char quote) {
        return text.size() - i >= 3 && text[i] == quote && text[i + 1] == quote && text[i + 2] == quote;
    };
    // Past a closing triple quote, and the up to two quotes before it that are content.
    const auto close_multi_line = [&](std::size_t& i, char quote) {
        std::size_t extra = 0;
        while (extra < 2 && text.size() - i > 3 && text[i + 3] == quote) ++i, ++extra;
        i += 2;
        in = In::Structure;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (in) {
            case In::Structure:
                if (static_cast<unsigned char>(c) >= 0x80) return i;
                if (c == '#') {
                    in = In::Comment;
                } else if (three_at(i, '"')) {
                    in = In::MultiLineBasic, i += 2;
                } else if (three_at(i, '\'')) {
                    in = In::MultiLineLiteral, i += 2;
                } else if (c == '"') {
                    in = In::Basic;
                } else if (c == '\'') {
                    in = In::Literal;
                }
                break;
            case In::Comment:
                if (c == '\n') in = In::Structure;
                break;
            case In::Basic:
                if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') ++i;
                else if (c == '"' || c == '\n') in = In::Structure;
                break;
            case In::Literal:
                if (c == '\'' || c == '\n') in = In::Structure;
                break;
            case In::MultiLineBasic:
                if (c == '\\') ++i;
                else if (three_at(i, '"')) close_multi_line(i, '"');
                break;
            case In::MultiLineLiteral:
                if (three_at(i, '\'')) close_multi_line(i, '\'');
                break;
        }
    }
    return std::string_view::npos;
}

TomlForbidden place_of(std::string_view text, std::size_t at, std::string description) {
    const std::string_view before = text.substr(0, at);
    const std::size_t last_newline = before.rfind('\n');
    const std::size_t line_start = last_newline == std::string_view::npos ? 0 : last_newline + 1;
    std::uint64_t column = 1;
    for (const char c : before.substr(line_start)) column += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    const auto line = static_cast<std::uint64_t>(std::count(before.begin(), before.end(), '\n')) + 1;
    return {line, column, std::move(description)};
}

}  // namespace

std::optional<TomlForbidden> find_text_toml_forbids(std::string_view text) {
    const std::size_t not_utf8 = first_invalid_utf8(text);
    const auto control = std::find_if(text.begin(), text.end(),
                                      [](char c) { return is_forbidden_control(static_cast<unsigned char>(c)); });
    const auto control_at = static_cast<std::size_t>(control - text.begin());
    if (control_at < text.size() && control_at < not_utf8) {
        return place_of(text, control_at, fill(kControlCharacter, {four_hex_digits(static_cast<unsigned char>(*control))}));
    }
    if (not_utf8 != std::string_view::npos) return place_of(text, not_utf8, std::string(kNotUtf8));
    const std::size_t non_ascii = first_non_ascii_outside_strings(text);
    if (non_ascii != std::string_view::npos) return place_of(text, non_ascii, std::string(kNonAsciiOutsideStrings));
    return std::nullopt;
}

}  // namespace quorv::cli
