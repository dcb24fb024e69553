#include "cli/toml_precheck.h"

#include <algorithm>
#include <cstddef>

#include "text/format.h"
#include "text/utf8.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kNotUtf8 = "the file is not UTF-8";
constexpr std::string_view kControlCharacter = "control character U+{} is not allowed";

bool is_forbidden_control(unsigned char byte) {
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
}

std::string four_hex_digits(unsigned value) {
    constexpr char kHex[] = "0123456789ABCDEF";
    return {kHex[(value >> 12) & 0xF], kHex[(value >> 8) & 0xF], kHex[(value >> 4) & 0xF], kHex[value & 0xF]};
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
    return std::nullopt;
}

}  // namespace quorv::cli
