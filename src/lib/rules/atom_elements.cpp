#include "lib/rules/atom_elements.h"

#include "lib/symbol_slot.h"

namespace quorv {

static_assert(kNoSymbolSlot <= UINT16_MAX, "a slot fits in 16 bits");

AtomElements::AtomElements(std::span<const Atom> atoms)
    : atoms_(atoms), facts_by_slot_(element_facts_by_slot().data()) {
    if (atoms.size() <= kSlotsInPlace) {
        slots_ = slots_in_place_.data();
    } else {
        slots_on_heap_.resize(atoms.size());
        slots_ = slots_on_heap_.data();
    }
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        slots_[i] = static_cast<std::uint16_t>(symbol_slot(atoms[i].element));
    }
}

}  // namespace quorv
