#include "xyz/comment_memo.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "text/ascii.h"
#include "text/digit_words.h"

namespace quorv::xyz {

namespace {

// Keys whose values some reading looks at: the extended keys by name, and
// every key that ends in a word the charge and multiplicity search finds
// wherever it stands (total_charge= is a charge key).
constexpr std::array<std::string_view, 3> kExtendedKeys = {"Properties", "Lattice", "pbc"};
constexpr std::array<std::string_view, 3> kSearchedWords = {"charge", "mult", "multiplicity"};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A free place, as the word-at-a-time comparison reads it: the top bit set.
constexpr char kFreePlace = static_cast<char>(0x80);

// Bytes this scan does not take apart: quoting and escapes (which join and
// hide text), other white space and control characters, and everything
// beyond ASCII.
bool is_unsettled(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x7f || (byte < ' ' && c != '\t') || c == '\'' || c == '{' || c == '[' || c == '\\';
}

bool ends_with_ignoring_case(std::string_view key, std::string_view lower_word) {
    return key.size() >= lower_word.size() &&
           equals_ignoring_ascii_case(key.substr(key.size() - lower_word.size()), lower_word);
}

bool is_read_key(std::string_view key) {
    return std::find(kExtendedKeys.begin(), kExtendedKeys.end(), key) != kExtendedKeys.end() ||
           std::any_of(kSearchedWords.begin(), kSearchedWords.end(),
                       [&](std::string_view word) { return ends_with_ignoring_case(key, word); });
}

bool is_number_character(char c) { return is_ascii_digit(c) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'; }

}  // namespace

std::string free_digit_places(std::string_view comment) {
    std::string places(comment.size(), '\0');
    const std::string none(comment.size(), '\0');
    if (std::any_of(comment.begin(), comment.end(), is_unsettled)) return none;
    // Words and key=value pairs between blanks; a value may be one quoted
    // part, which closes where the word ends.
    std::size_t pos = 0;
    while (pos < comment.size()) {
        if (is_blank(comment[pos])) {
            ++pos;
            continue;
        }
        const std::size_t key_begin = pos;
        while (pos < comment.size() && !is_blank(comment[pos]) && comment[pos] != '=' && comment[pos] != '"') ++pos;
        if (pos < comment.size() && comment[pos] == '"') return none;  // a quote inside a word
        if (pos == comment.size() || is_blank(comment[pos])) continue;  // a word without a value
        // An "=" with a blank or nothing on either side pairs across the blank.
        const std::string_view key = comment.substr(key_begin, pos - key_begin);
        const std::size_t value_begin = ++pos;
        if (key.empty() || value_begin == comment.size() || is_blank(comment[value_begin])) return none;
        if (comment[value_begin] == '"') {
            const std::size_t closing = comment.find('"', value_begin + 1);
            if (closing == std::string_view::npos) return none;
            pos = closing + 1;
            if (pos < comment.size() && !is_blank(comment[pos])) return none;
            continue;
        }
        while (pos < comment.size() && !is_blank(comment[pos])) {
            if (comment[pos] == '"') return none;
            ++pos;
        }
        const std::string_view value = comment.substr(value_begin, pos - value_begin);
        if (is_read_key(key) || !std::all_of(value.begin(), value.end(), is_number_character)) continue;
        std::fill(places.begin() + static_cast<std::ptrdiff_t>(value_begin), places.begin() + static_cast<std::ptrdiff_t>(pos),
                  kFreePlace);
    }
    return places;
}

const std::variant<FrameComment, ReadError>& CommentMemo::read(std::string_view comment) {
    if (remembered_ && settles(comment)) return reading_;
    reading_ = read_frame_comment(comment);
    line_.assign(comment);
    // Free places lie in key=value words alone, which no digit makes a bare
    // pair's integer: a line with or without charge and multiplicity keeps them.
    free_digits_ = free_digit_places(comment);
    remembered_ = true;
    return reading_;
}

namespace {

using digit_words::kEachByte;
using digit_words::load_word;
constexpr std::uint64_t kHighBits = kEachByte * 0x80;
constexpr std::uint64_t kLow7 = kEachByte * 0x7F;

// The top bit of each byte that is not zero.
std::uint64_t non_zero_bytes(std::uint64_t word) { return (((word & kLow7) + kLow7) | word) & kHighBits; }

// The top bit of each byte that is an ASCII digit: its low seven bits are
// 0x30 to 0x39 (the sums stay within their bytes) and its top bit is clear.
std::uint64_t digit_bytes(std::uint64_t word) {
    const std::uint64_t low = word & kLow7;
    const std::uint64_t from_zero = low + kEachByte * (0x80 - '0');
    const std::uint64_t past_nine = low + kEachByte * (0x80 - '9' - 1);
    return from_zero & ~past_nine & ~word & kHighBits;
}

}  // namespace

// Equal to the remembered line but for digits, each in a free place and
// replaced by a digit. Eight bytes at a time: lines are mostly equal.
bool CommentMemo::settles(std::string_view comment) const {
    const std::size_t size = comment.size();
    if (size != line_.size()) return false;
    const auto word_settles = [&](std::size_t pos) {
        const std::uint64_t now = load_word(comment.data() + pos);
        const std::uint64_t before = load_word(line_.data() + pos);
        if (now == before) return true;
        const std::uint64_t allowed = digit_bytes(now) & digit_bytes(before) & load_word(free_digits_.data() + pos);
        return (non_zero_bytes(now ^ before) & ~allowed) == 0;
    };
    constexpr std::size_t kWord = digit_words::kWordBytes;
    if (size < kWord) {
        for (std::size_t pos = 0; pos < size; ++pos) {
            const bool free_digit =
                free_digits_[pos] != '\0' && is_ascii_digit(comment[pos]) && is_ascii_digit(line_[pos]);
            if (comment[pos] != line_[pos] && !free_digit) return false;
        }
        return true;
    }
    std::size_t pos = 0;
    for (; pos + kWord <= size; pos += kWord) {
        if (!word_settles(pos)) return false;
    }
    // The last bytes as the word that ends with them (looking at some twice does no harm).
    return pos == size || word_settles(size - kWord);
}

}  // namespace quorv::xyz
