// The integer after a key such as "charge=" on a comment line.
#include "xyz/key_value.h"

#include "text/ascii.h"
#include "text/integers.h"
#include "text/white_space.h"
#include "xyz/xyz_reader.h"

namespace quorv {

namespace xyz {

namespace {
bool is_integer_character(char c) { return is_ascii_digit(c) || c == '+' || c == '-'; }
}  // namespace

std::optional<std::int64_t> integer_at(std::string_view line, std::size_t pos) {
    while (std::size_t blank = white_space_at(line, pos)) pos += blank;
    const std::size_t start = pos;
    while (pos < line.size() && is_integer_character(line[pos])) ++pos;
    // The run may hold stray signs ("--1", "1-2"); then it is no integer.
    return parse_signed64(line.substr(start, pos - start));
}

}  // namespace xyz

std::optional<std::int64_t> extract_kv(std::string_view line, std::string_view key) {
    // A plain substring search: "total_charge=" holds "charge=" too. Only the
    // first occurrence counts, whatever follows it.
    const std::size_t found = line.find(key);
    if (found == std::string_view::npos) return std::nullopt;
    return xyz::integer_at(line, found + key.size());
}

}  // namespace quorv
