#include "xyz/comment_line.h"

#include <array>
#include <limits>
#include <string_view>

#include "text/ascii.h"
#include "text/integers.h"
#include "xyz/key_value.h"
#include "xyz/tokens.h"

namespace quorv::xyz {

namespace {

// The keys without their "=", in lower case.
constexpr std::string_view kChargeKey = "charge";
constexpr std::string_view kMultiplicityKey = "multiplicity";
constexpr std::string_view kShortMultiplicityKey = "mult";

// Where the value after the first "key=" of each key starts, the key's
// letters matched in any case; npos for a key that is not there.
struct KeyValueStarts {
    std::size_t charge = std::string_view::npos;
    std::size_t multiplicity = std::string_view::npos;
    std::size_t short_multiplicity = std::string_view::npos;
};

// Whether the `key.size()` bytes before line[equals] spell the key. Most
// "=" of a line end other keys, which their last letter tells at once.
inline bool key_ends_at(std::string_view line, std::size_t equals, std::string_view key) {
    return equals >= key.size() && ascii_lower(line[equals - 1]) == key.back() &&
           equals_ignoring_ascii_case(line.substr(equals - key.size(), key.size()), key);
}

// Every occurrence of "key=" ends in an "=", so one pass over the line's few
// "=" finds the first of each key, as a search of the line folded to lower
// case would, without folding a copy.
KeyValueStarts find_keys(std::string_view line) {
    KeyValueStarts starts;
    const auto note = [&](std::size_t& start, std::size_t equals, std::string_view key) {
        if (start == std::string_view::npos && key_ends_at(line, equals, key)) start = equals + 1;
    };
    for (std::size_t equals = line.find('='); equals != std::string_view::npos; equals = line.find('=', equals + 1)) {
        note(starts.charge, equals, kChargeKey);
        note(starts.multiplicity, equals, kMultiplicityKey);
        note(starts.short_multiplicity, equals, kShortMultiplicityKey);
    }
    return starts;
}

std::optional<std::int64_t> value_at(std::string_view line, std::size_t start) {
    if (start == std::string_view::npos) return std::nullopt;
    return integer_at(line, start);
}

// "0 1", "-1 2", "+1 +2": exactly two tokens, a signed charge and an unsigned
// multiplicity, or nothing at all.
ChargeAndMultiplicity read_bare_pair(std::string_view line) {
    std::array<std::string_view, 2> tokens;
    std::size_t count = 0;
    TokenReader reader(line);
    for (std::string_view token; reader.next(token);) {
        if (count == tokens.size()) return {};  // a third token: this is no bare pair
        tokens[count++] = token;
    }
    if (count != tokens.size()) return {};
    auto charge = parse_signed64(tokens[0]);
    auto multiplicity = parse_unsigned32(tokens[1]);
    if (!charge || !multiplicity) return {};
    return {charge, multiplicity};
}

}  // namespace

ChargeAndMultiplicity read_comment_line(std::string_view line) {
    const KeyValueStarts starts = find_keys(line);
    const auto charge = value_at(line, starts.charge);
    auto multiplicity = value_at(line, starts.multiplicity);
    if (!multiplicity) multiplicity = value_at(line, starts.short_multiplicity);
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
