#include "text/integers.h"

#include <limits>

#include "text/ascii.h"

namespace quorv {

std::optional<std::uint64_t> parse_digits(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (char c : digits) {
        if (!is_ascii_digit(c)) return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::uint64_t> parse_unsigned64(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return parse_digits(text);
}

std::optional<std::uint32_t> parse_unsigned32(std::string_view text) {
    const auto value = parse_unsigned64(text);
    if (!value || *value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<std::int64_t> parse_signed64(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto magnitude = parse_digits(text);
    if (!magnitude) return std::nullopt;
    constexpr auto kMaxPositive = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (!negative) {
        if (*magnitude > kMaxPositive) return std::nullopt;
        return static_cast<std::int64_t>(*magnitude);
    }
    // The negative range reaches one further than the positive one.
    if (*magnitude > kMaxPositive + 1) return std::nullopt;
    return static_cast<std::int64_t>(0 - *magnitude);
}

}  // namespace quorv
