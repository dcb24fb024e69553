#include "text/format.h"

#include <array>
#include <charconv>
#include <cmath>

namespace quorv {

std::string fill(std::string_view message_template, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(message_template.size() + 32);
    auto next = args.begin();
    std::size_t pos = 0;
    while (pos < message_template.size()) {
        std::size_t hole = message_template.find("{}", pos);
        if (hole == std::string_view::npos || next == args.end()) {
            out.append(message_template.substr(pos));
            break;
        }
        out.append(message_template.substr(pos, hole - pos));
        out.append(*next++);
        pos = hole + 2;
    }
    return out;
}

namespace {
template <typename Number, typename... Format>
std::string to_text(Number value, Format... format) {
    std::array<char, 400> buffer{};  // room for any fixed-point double with a few decimals
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format...);
    return std::string(buffer.data(), result.ptr);
}
}  // namespace

std::string decimal(std::int64_t value) { return to_text(value); }
std::string decimal(std::uint64_t value) { return to_text(value); }

std::string decimal(Int128 value) {
    // The magnitude of the most negative value still fits the unsigned type.
    __extension__ typedef unsigned __int128 UInt128;
    UInt128 magnitude = value < 0 ? UInt128{0} - static_cast<UInt128>(value) : static_cast<UInt128>(value);
    std::array<char, 40> digits{};
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + static_cast<int>(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    std::string text(value < 0 ? "-" : "");
    while (count > 0) text += digits[--count];
    return text;
}

std::string fixed(double value, int decimals) {
    return to_text(value, std::chars_format::fixed, decimals);
}

std::string shortest(double value) {
    std::string text = to_text(value);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

}  // namespace quorv
