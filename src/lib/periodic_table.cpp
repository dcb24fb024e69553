#include "lib/periodic_table.h"

#include <array>
#include <cstddef>

namespace quorv {

namespace {

#include "lib/periodic_table.inc"

static_assert(kElementRecords.size() == kElementCount);

// Symbols are one upper-case letter and at most one lower-case one: a slot
// for each such pair holds the atomic number, 0 for no element.
constexpr std::size_t kFirstLetters = 26;
constexpr std::size_t kSecondLetters = 27;  // none, then a..z

constexpr std::size_t slot(char first, char second) {
    return static_cast<std::size_t>(first - 'A') * kSecondLetters +
           (second == '\0' ? 0 : static_cast<std::size_t>(second - 'a') + 1);
}

constexpr auto kNumberBySymbol = [] {
    std::array<std::uint8_t, kFirstLetters * kSecondLetters> numbers{};
    for (std::size_t i = 0; i < kElementRecords.size(); ++i) {
        const std::string_view symbol = kElementRecords[i].symbol;
        numbers[slot(symbol[0], symbol.size() == 2 ? symbol[1] : '\0')] = static_cast<std::uint8_t>(i + 1);
    }
    return numbers;
}();

constexpr bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

}  // namespace

int element_number(std::string_view symbol) {
    if (symbol.empty() || symbol.size() > 2 || !is_upper(symbol[0])) return 0;
    if (symbol.size() == 2 && !is_lower(symbol[1])) return 0;
    return kNumberBySymbol[slot(symbol[0], symbol.size() == 2 ? symbol[1] : '\0')];
}

const ElementRecord& element_record(int atomic_number) {
    return kElementRecords[static_cast<std::size_t>(atomic_number - 1)];
}

std::string_view element_table_sources() { return kElementTableSources; }

std::optional<std::int64_t> atomic_number_of_any_element(std::string_view symbol) {
    const int z = element_number(symbol);
    return z == 0 ? std::nullopt : std::optional<std::int64_t>(z);
}

std::optional<std::int64_t> def2_ecp_core_electrons(std::string_view symbol) {
    const int z = element_number(symbol);
    if (z == 0 || element_record(z).def2_ecp_core == 0) return std::nullopt;
    return element_record(z).def2_ecp_core;
}

bool is_transition_or_post_transition_metal(std::string_view symbol) {
    return is_transition_or_post_transition_metal(element_number(symbol));
}

}  // namespace quorv
