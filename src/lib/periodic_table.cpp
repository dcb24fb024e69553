#include "lib/periodic_table.h"

#include <array>
#include <cstddef>

#include "lib/symbol_slot.h"

namespace quorv {

namespace {

#include "lib/periodic_table.inc"

static_assert(kElementRecords.size() == kElementCount);

// The atomic number in each symbol's slot, 0 for no element.
constexpr auto kNumberBySymbol = [] {
    std::array<std::uint8_t, kSymbolSlots + 1> numbers{};
    for (std::size_t i = 0; i < kElementRecords.size(); ++i) {
        numbers[symbol_slot(kElementRecords[i].symbol)] = static_cast<std::uint8_t>(i + 1);
    }
    return numbers;
}();

static_assert(kNumberBySymbol[kNoSymbolSlot] == 0, "every element symbol has a slot of its own");

}  // namespace

int element_number(std::string_view symbol) { return kNumberBySymbol[symbol_slot(symbol)]; }

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
