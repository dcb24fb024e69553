// Charge and spin multiplicity from the comment line of an XYZ text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorv::xyz {

struct ChargeAndMultiplicity {
    std::optional<std::int64_t> charge;
    std::optional<std::uint32_t> spin_multiplicity;
};

// Keys in any letter case ("charge=", "multiplicity=" or else "mult=") win;
// only when neither yields a value is the line read as a bare pair of
// integers, charge then multiplicity. The comment line never fails: what does
// not read stays absent.
ChargeAndMultiplicity read_comment_line(std::string_view line);

}  // namespace quorv::xyz
