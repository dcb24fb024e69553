// Reading the value written after the seed keyword in an argument text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "source/position_list.h"

namespace quorv::seed_check {

// The number text at the start of `text`, after leading white space: an
// optional "+" or "-" and the run of ASCII digits that follows. The rest is
// ignored, so "-1.5" reads as "-1".
std::string_view leading_number_text(std::string_view text);

template <typename Offset>
class ExplicitSeedReader {
public:
    // Both referenced objects must outlive the reader.
    ExplicitSeedReader(std::string_view source, const PositionList<Offset>& equals_signs);

    // True when the seed after the keyword at `keyword_pos` reads as exactly
    // -1. The value is what follows the first "=" after the keyword within
    // the argument text (or the text right after the keyword when there is
    // none), whichever argument that "=" belongs to.
    bool asks_for_random_seed(std::size_t keyword_pos, std::size_t args_end);

private:
    std::string_view source_;
    const PositionList<Offset>& equals_signs_;
    // Answers by the position where reading starts. Reading stops at the
    // ")" that ends an argument text (no blank, sign or digit), so the answer
    // does not depend on which call asks; nested calls ask about the same
    // value over and over.
    std::unordered_map<std::size_t, bool> answers_;
};

extern template class ExplicitSeedReader<std::uint32_t>;
extern template class ExplicitSeedReader<std::uint64_t>;

}  // namespace quorv::seed_check
