#include "source/explicit_seed.h"

#include <algorithm>
#include <charconv>

#include "text/white_space.h"
#include "source/patterns.h"

namespace quorv::seed_check {

namespace {
constexpr std::int64_t kRandomSeedValue = -1;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string_view leading_number_text(std::string_view text) {
    std::size_t begin = 0;
    while (std::size_t blank = white_space_at(text, begin)) begin += blank;
    std::size_t end = begin;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    while (end < text.size() && is_digit(text[end])) ++end;
    return text.substr(begin, end - begin);
}

std::optional<std::int64_t> parse_int64(std::string_view number_text) {
    std::string_view digits = number_text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), is_digit)) return std::nullopt;
    // from_chars reads a "-" but not a "+"; a "+" changes nothing.
    const std::string_view readable = number_text.front() == '+' ? digits : number_text;
    std::int64_t value = 0;
    const char* end = readable.data() + readable.size();
    auto [stop, error] = std::from_chars(readable.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

ExplicitSeedReader::ExplicitSeedReader(std::string_view source, const PositionList& equals_signs)
    : source_(source), equals_signs_(equals_signs) {}

bool ExplicitSeedReader::asks_for_random_seed(std::size_t keyword_pos, std::size_t args_end) {
    std::size_t value_begin = keyword_pos + kSeedKeyword.size();
    if (auto equals_sign = equals_signs_.first_within(value_begin, args_end)) value_begin = *equals_sign + 1;
    auto [known, inserted] = answers_.try_emplace(value_begin, false);
    if (inserted) {
        const auto value = parse_int64(leading_number_text(source_.substr(value_begin, args_end - value_begin)));
        known->second = value == kRandomSeedValue;
    }
    return known->second;
}

}  // namespace quorv::seed_check
