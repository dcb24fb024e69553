#include "source/explicit_seed.h"

#include <algorithm>

#include "text/ascii.h"
#include "text/integers.h"
#include "text/white_space.h"
#include "source/patterns.h"

namespace quorv::seed_check {

namespace {
constexpr std::int64_t kRandomSeedValue = -1;

}  // namespace

std::string_view leading_number_text(std::string_view text) {
    std::size_t begin = 0;
    while (std::size_t blank = white_space_at(text, begin)) begin += blank;
    std::size_t end = begin;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    while (end < text.size() && is_ascii_digit(text[end])) ++end;
    return text.substr(begin, end - begin);
}

template <typename Offset>
ExplicitSeedReader<Offset>::ExplicitSeedReader(std::string_view source, const PositionList<Offset>& equals_signs)
    : source_(source), equals_signs_(equals_signs) {}

template <typename Offset>
bool ExplicitSeedReader<Offset>::asks_for_random_seed(std::size_t keyword_pos, std::size_t args_end) {
    std::size_t value_begin = keyword_pos + kSeedKeyword.size();
    if (auto equals_sign = equals_signs_.first_within(value_begin, args_end)) value_begin = *equals_sign + 1;
    auto [known, inserted] = answers_.try_emplace(value_begin, false);
    if (inserted) {
        const auto value = parse_signed64(leading_number_text(source_.substr(value_begin, args_end - value_begin)));
        known->second = value == kRandomSeedValue;
    }
    return known->second;
}

template class ExplicitSeedReader<std::uint32_t>;
template class ExplicitSeedReader<std::uint64_t>;

}  // namespace quorv::seed_check
