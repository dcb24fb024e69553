#include "xyz/comment_line.h"

#include <limits>
#include <string>
#include <vector>

#include "text/ascii.h"
#include "text/integers.h"
#include "xyz/tokens.h"
#include "xyz/xyz_reader.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kChargeKey = "charge=";
constexpr std::string_view kMultiplicityKey = "multiplicity=";
constexpr std::string_view kShortMultiplicityKey = "mult=";

// The keys are plain ASCII, so folding ASCII letters alone finds them in any case.
std::string ascii_lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = ascii_lower(c);
    return lower;
}

// "0 1", "-1 2", "+1 +2": exactly two tokens, a signed charge and an unsigned
// multiplicity, or nothing at all.
ChargeAndMultiplicity read_bare_pair(std::string_view line) {
    std::vector<std::string_view> tokens;
    TokenReader reader(line);
    while (auto token = reader.next()) {
        if (tokens.size() == 2) return {};  // a third token: this is no bare pair
        tokens.push_back(*token);
    }
    if (tokens.size() != 2) return {};
    auto charge = parse_signed64(tokens[0]);
    auto multiplicity = parse_unsigned32(tokens[1]);
    if (!charge || !multiplicity) return {};
    return {charge, multiplicity};
}

}  // namespace

ChargeAndMultiplicity read_comment_line(std::string_view line) {
    const std::string lower = ascii_lowercase(line);
    const auto charge = extract_kv(lower, kChargeKey);
    auto multiplicity = extract_kv(lower, kMultiplicityKey);
    if (!multiplicity) multiplicity = extract_kv(lower, kShortMultiplicityKey);
    if (!charge && !multiplicity) return read_bare_pair(line);

    // Once a key gave a value the bare pair is not tried, even when the
    // multiplicity does not fit and so stays absent.
    ChargeAndMultiplicity result;
    result.charge = charge;
    if (multiplicity && *multiplicity >= 0 && *multiplicity <= std::numeric_limits<std::uint32_t>::max()) {
        result.spin_multiplicity = static_cast<std::uint32_t>(*multiplicity);
    }
    return result;
}

}  // namespace quorv::xyz
