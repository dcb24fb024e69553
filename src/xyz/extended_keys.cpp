#include "xyz/extended_keys.h"

#include <cstdint>

#include "text/white_space.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kProperties = "Properties";
constexpr std::string_view kLattice = "Lattice";
constexpr std::string_view kPbc = "pbc";

constexpr char closing_of(char opening) {
    switch (opening) {
        case '"': return '"';
        case '\'': return '\'';
        case '{': return '}';
        case '[': return ']';
        default: return '\0';
    }
}

// Bytes that end a run that needs no care: white space and non-ASCII bytes
// (which may be white space), the escape, the openings of enclosed parts,
// and "=" where a key ends. A table, since every byte of the line is looked
// up in it.
enum RunEnd : std::uint8_t { kInRun = 0, kEndsValue = 1, kEndsKey = 2 };

constexpr std::array<std::uint8_t, 256> make_run_ends() {
    std::array<std::uint8_t, 256> ends{};
    for (int c = 0; c < 256; ++c) {
        const bool special = c <= ' ' || c >= 0x7f || c == '\\' || closing_of(static_cast<char>(c)) != '\0';
        ends[static_cast<std::size_t>(c)] = special ? (kEndsValue | kEndsKey) : c == '=' ? kEndsKey : kInRun;
    }
    return ends;
}

constexpr std::array<std::uint8_t, 256> kRunEnds = make_run_ends();

// The text of a key or value: its first part as a view into the line, and
// only when a second part follows, the parts joined in `joined`.
class WordText {
public:
    explicit WordText(std::string* joined) : joined_(joined) {}

    void append(std::string_view part) {
        if (joined_ == nullptr) return;
        if (parts_ == 1) joined_->assign(first_);
        if (parts_ == 0) first_ = part;
        else joined_->append(part);
        ++parts_;
    }

    std::string_view text() const { return parts_ <= 1 ? first_ : std::string_view(*joined_); }

private:
    std::string* joined_;
    std::string_view first_;
    int parts_ = 0;
};

// Reads a key or a value from `pos` to the first blank (or "=" for a key)
// outside an enclosed part; returns false when an enclosed part never closes.
bool read_word(std::string_view line, std::size_t& pos, bool stop_at_equals, WordText& word) {
    const std::uint8_t stop = stop_at_equals ? kEndsKey : kEndsValue;
    while (pos < line.size()) {
        // Plain characters, a run at a time.
        std::size_t run = pos;
        while (run < line.size() && (kRunEnds[static_cast<unsigned char>(line[run])] & stop) == 0) ++run;
        if (run > pos) word.append(line.substr(pos, run - pos));
        pos = run;
        if (pos == line.size()) break;
        const char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            word.append(line.substr(pos + 1, 1));
            pos += 2;
            continue;
        }
        if (const char closing = closing_of(c)) {
            const std::size_t end = line.find(closing, pos + 1);
            if (end == std::string_view::npos) {
                word.append(line.substr(pos + 1));
                pos = line.size();
                return false;
            }
            word.append(line.substr(pos + 1, end - pos - 1));
            pos = end + 1;
            continue;
        }
        if (white_space_at(line, pos) != 0 || (stop_at_equals && c == '=')) break;
        // A non-ASCII character that is not white space, or a lone backslash at the end.
        const std::size_t length = char_length_at(line, pos);
        word.append(line.substr(pos, length));
        pos += length;
    }
    return true;
}

}  // namespace

void find_extended_keys(std::string_view comment, ExtendedKeys& keys) {
    keys.properties.reset();
    keys.lattice.reset();
    keys.pbc.reset();
    keys.unclosed.reset();
    std::string key_text;
    std::size_t pos = skip_white_space(comment, 0);
    while (pos < comment.size()) {
        WordText key(&key_text);
        const bool key_closed = read_word(comment, pos, true, key);
        const std::size_t after_key = skip_white_space(comment, pos);
        if (!key_closed || after_key >= comment.size() || comment[after_key] != '=') {
            pos = after_key;
            continue;  // a word without a value
        }
        pos = skip_white_space(comment, after_key + 1);
        const std::string_view name = key.text();
        const std::size_t slot = name == kProperties ? 0 : name == kLattice ? 1 : name == kPbc ? 2 : 3;
        if (slot == 3) {
            // Other keys' values (energies, free text) are only stepped over.
            WordText skipped(nullptr);
            read_word(comment, pos, false, skipped);
        } else {
            std::optional<std::string_view>* values[] = {&keys.properties, &keys.lattice, &keys.pbc};
            constexpr std::string_view kNames[] = {kProperties, kLattice, kPbc};
            WordText value(&keys.joined_[slot]);
            if (!read_word(comment, pos, false, value)) keys.unclosed = kNames[slot];
            *values[slot] = value.text();
        }
        pos = skip_white_space(comment, pos);
    }
}

}  // namespace quorv::xyz
