// Which names are written somewhere in the text as "<name>.randomSeed".
#pragma once

#include <string_view>
#include <vector>

#include "source/position_list.h"

namespace quorv::seed_check {

class SeedAttributeIndex {
public:
    // `keywords` lists the seed keyword's occurrences in `source`.
    template <typename Offset>
    SeedAttributeIndex(std::string_view source, const PositionList<Offset>& keywords) {
        for (Offset keyword : keywords.positions()) add_owner(source, keyword);
        sort_owners();
    }

    bool empty() const { return attribute_owners_.empty(); }

    // True when "<identifier>.randomSeed" occurs anywhere in the text, also
    // as the tail of a longer name ("my_params.randomSeed" holds
    // "params.randomSeed"). `identifier` must be a simple identifier.
    bool has_seed_attribute(std::string_view identifier) const;

private:
    void add_owner(std::string_view source, std::size_t keyword);
    void sort_owners();

    // The whole identifier-character run in front of each ".randomSeed",
    // sorted by the reversed text so that "which runs end in this name" is
    // one binary search: those runs sort next to each other.
    std::vector<std::string_view> attribute_owners_;
};

}  // namespace quorv::seed_check
