#include "source/seed_attributes.h"

#include <algorithm>

#include "source/patterns.h"

namespace quorv::seed_check {

namespace {
bool reversed_less(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
}
}  // namespace

void SeedAttributeIndex::add_owner(std::string_view source, std::size_t keyword) {
    if (keyword == 0 || source[keyword - 1] != kAttributeSeparator) return;
    const std::size_t owner_end = keyword - 1;
    std::size_t owner_begin = owner_end;
    while (owner_begin > 0 && is_identifier_char(source[owner_begin - 1])) --owner_begin;
    if (owner_begin < owner_end) attribute_owners_.push_back(source.substr(owner_begin, owner_end - owner_begin));
}

void SeedAttributeIndex::sort_owners() { std::sort(attribute_owners_.begin(), attribute_owners_.end(), reversed_less); }

bool SeedAttributeIndex::has_seed_attribute(std::string_view identifier) const {
    // An identifier has no separator characters, so it occurs in front of a
    // ".randomSeed" exactly when it is a tail of that run.
    auto first = std::lower_bound(attribute_owners_.begin(), attribute_owners_.end(), identifier, reversed_less);
    return first != attribute_owners_.end() && first->ends_with(identifier);
}

}  // namespace quorv::seed_check
