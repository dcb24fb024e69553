#include "xyz/extended_keys.h"

#include "text/white_space.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kProperties = "Properties";
constexpr std::string_view kLattice = "Lattice";
constexpr std::string_view kPbc = "pbc";

char closing_of(char opening) {
    switch (opening) {
        case '"': return '"';
        case '\'': return '\'';
        case '{': return '}';
        case '[': return ']';
        default: return '\0';
    }
}

// Whether a byte ends a run that needs no care: white space and non-ASCII
// bytes (which may be white space), the escape, the openings of enclosed
// parts, and "=" where a key ends.
bool ends_plain_run(unsigned char c, bool stop_at_equals) {
    return c <= ' ' || c >= 0x7f || c == '\\' || closing_of(static_cast<char>(c)) != '\0' ||
           (stop_at_equals && c == '=');
}

// Reads a key or a value from `pos` to the first blank (or "=" for a key)
// outside an enclosed part, into `word` unless that is null; returns false
// when an enclosed part never closes.
bool read_word(std::string_view line, std::size_t& pos, bool stop_at_equals, std::string* word) {
    const auto append = [word](std::string_view part) {
        if (word != nullptr) word->append(part);
    };
    while (pos < line.size()) {
        // Plain characters, a run at a time.
        std::size_t run = pos;
        while (run < line.size() && !ends_plain_run(static_cast<unsigned char>(line[run]), stop_at_equals)) ++run;
        append(line.substr(pos, run - pos));
        pos = run;
        if (pos == line.size()) break;
        const char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            append(line.substr(pos + 1, 1));
            pos += 2;
            continue;
        }
        if (const char closing = closing_of(c)) {
            const std::size_t end = line.find(closing, pos + 1);
            if (end == std::string_view::npos) {
                append(line.substr(pos + 1));
                pos = line.size();
                return false;
            }
            append(line.substr(pos + 1, end - pos - 1));
            pos = end + 1;
            continue;
        }
        if (white_space_at(line, pos) != 0 || (stop_at_equals && c == '=')) break;
        // A non-ASCII character that is not white space, or a lone backslash at the end.
        const std::size_t length = char_length_at(line, pos);
        append(line.substr(pos, length));
        pos += length;
    }
    return true;
}

}  // namespace

ExtendedKeys find_extended_keys(std::string_view comment) {
    ExtendedKeys keys;
    std::string key;
    std::size_t pos = skip_white_space(comment, 0);
    while (pos < comment.size()) {
        key.clear();
        const bool key_closed = read_word(comment, pos, true, &key);
        const std::size_t after_key = skip_white_space(comment, pos);
        if (!key_closed || after_key >= comment.size() || comment[after_key] != '=') {
            pos = after_key;
            continue;  // a word without a value
        }
        pos = skip_white_space(comment, after_key + 1);
        std::optional<std::string>* slot = key == kProperties ? &keys.properties
                                           : key == kLattice  ? &keys.lattice
                                           : key == kPbc      ? &keys.pbc
                                                              : nullptr;
        // Other keys' values (energies, free text) are only stepped over.
        std::string value;
        const bool value_closed = read_word(comment, pos, false, slot != nullptr ? &value : nullptr);
        if (slot != nullptr) {
            *slot = std::move(value);
            if (!value_closed) keys.unclosed = key;
        }
        pos = skip_white_space(comment, pos);
    }
    return keys;
}

}  // namespace quorv::xyz
