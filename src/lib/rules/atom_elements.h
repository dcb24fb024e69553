// Each atom's element, looked up once per lint call and read by every rule:
// several rules ask about each atom (its atomic number, cutoff, whether it
// is a metal or a hydrogen), and the lookup is the cost they would share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "lib/cluster.h"
#include "lib/elements.h"

namespace quorv {

class AtomElements {
public:
    explicit AtomElements(std::span<const Atom> atoms);
    // The slots may point into the object itself.
    AtomElements(const AtomElements&) = delete;
    AtomElements& operator=(const AtomElements&) = delete;

    std::span<const Atom> atoms() const { return atoms_; }
    std::size_t size() const { return atoms_.size(); }
    std::string_view symbol(std::size_t index) const { return atoms_[index].element; }
    // Where the atom's symbol stands in lib/symbol_slot.h.
    std::size_t slot(std::size_t index) const { return slots_[index]; }
    const ElementFacts& facts(std::size_t index) const { return facts_by_slot_[slots_[index]]; }

    std::optional<std::int64_t> atomic_number(std::size_t index) const { return facts(index).known_atomic_number(); }
    std::optional<std::int64_t> ecp_core_electrons(std::size_t index) const {
        return facts(index).known_ecp_core_electrons();
    }
    bool is_metal(std::size_t index) const { return facts(index).metal; }
    bool is_hydrogen(std::size_t index) const { return facts(index).hydrogen; }

private:
    // Clusters up to this size keep their slots here and allocate nothing.
    static constexpr std::size_t kSlotsInPlace = 128;

    std::span<const Atom> atoms_;
    const ElementFacts* facts_by_slot_;
    std::array<std::uint16_t, kSlotsInPlace> slots_in_place_;
    std::vector<std::uint16_t> slots_on_heap_;
    std::uint16_t* slots_;
};

}  // namespace quorv
