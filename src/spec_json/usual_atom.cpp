#include "spec_json/usual_atom.h"

#include <cfloat>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "text/ascii.h"
#include "text/digit_words.h"

namespace quorv::spec_json {

namespace {

static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must round to double after every operation");

// At most this many digits fit a 64-bit integer whatever they are.
constexpr std::size_t kMostDigits = 19;
// Integers up to 2^53 are exact as doubles.
constexpr std::uint64_t kLargestExactMantissa = std::uint64_t{1} << 53;
// 10^0 .. 10^19, each exact as a double (every power up to 10^22 is).
constexpr double kExactPowersOfTen[kMostDigits + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
    1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19,
};

constexpr char kElementKey[] = "\"element\"";
constexpr char kXKey[] = "\"x\"";
constexpr char kYKey[] = "\"y\"";
constexpr char kZKey[] = "\"z\"";
// From the opening brace to the element's opening quote, and from the end of
// one value to the next, as json.dumps writes them (the comma also between
// the values of an array and between atoms).
constexpr char kObjectStart[] = "{\"element\": \"";
constexpr char kBeforeX[] = ", \"x\": ";
constexpr char kBeforeY[] = ", \"y\": ";
constexpr char kBeforeZ[] = ", \"z\": ";
constexpr char kComma[] = ", ";

constexpr bool is_json_blank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// A string byte that stands for itself and needs no UTF-8 check.
constexpr bool is_plain_string_byte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '"' && c != '\\';
}

template <typename Word>
[[gnu::always_inline]] inline Word load(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Whether `Length` bytes (1 to 16) of text equal a literal: two loads of
// each, overlapping where the length is not a word's.
template <std::size_t Length>
[[gnu::always_inline]] inline bool equal_bytes(const char* text, const char* literal) {
    static_assert(Length >= 1 && Length <= 16);
    constexpr auto equal_words = [](auto word, const char* a, const char* b) {
        using Word = decltype(word);
        return load<Word>(a) == load<Word>(b) &&
               load<Word>(a + Length - sizeof(Word)) == load<Word>(b + Length - sizeof(Word));
    };
    if constexpr (Length >= 8) return equal_words(std::uint64_t{}, text, literal);
    else if constexpr (Length >= 4) return equal_words(std::uint32_t{}, text, literal);
    else if constexpr (Length >= 2) return equal_words(std::uint16_t{}, text, literal);
    else return *text == *literal;
}

// Every step is inlined into the two scans below, so that the read position
// lives in a register for the whole atom.
#define QUORV_INLINE [[gnu::always_inline]] inline

class UsualAtomScanner {
public:
    UsualAtomScanner(std::string_view text, std::size_t position)
        : next_(text.data() + position), end_(text.data() + text.size()) {}

    std::size_t position_in(std::string_view text) const { return static_cast<std::size_t>(next_ - text.data()); }
    bool at(char byte) const { return next_ != end_ && *next_ == byte; }

    QUORV_INLINE void skip_blanks() {
        // Every blank is at most a space, and what usually follows is not.
        while (next_ != end_ && static_cast<unsigned char>(*next_) <= ' ' && is_json_blank(*next_)) ++next_;
    }

    QUORV_INLINE bool token(char expected) {
        skip_blanks();
        if (next_ == end_ || *next_ != expected) return false;
        ++next_;
        return true;
    }

    // The bytes of `literal` (without its terminating NUL), exactly.
    template <std::size_t Size>
    QUORV_INLINE bool literal(const char (&bytes)[Size]) {
        constexpr std::size_t kLength = Size - 1;
        if (static_cast<std::size_t>(end_ - next_) < kLength || !equal_bytes<kLength>(next_, bytes)) return false;
        next_ += kLength;
        return true;
    }

    // A key written without escapes, and its colon.
    template <std::size_t Size>
    QUORV_INLINE bool key(const char (&quoted)[Size]) {
        skip_blanks();
        return literal(quoted) && token(':');
    }

    // Each separator is tried first as the bytes that json.dumps writes,
    // which is one instance of the general form after it.
    template <std::size_t UsualSize, std::size_t KeySize>
    QUORV_INLINE bool member_separator(const char (&usual)[UsualSize], const char (&quoted_key)[KeySize]) {
        return literal(usual) || (token(',') && key(quoted_key));
    }
    QUORV_INLINE bool element_separator() { return literal(kComma) || token(','); }

    // The rest of a string whose opening quote has been read.
    QUORV_INLINE bool plain_string_rest(std::string& value) {
        const char* start = next_;
        while (next_ != end_ && is_plain_string_byte(*next_)) ++next_;
        if (next_ == end_ || *next_ != '"') return false;
        value.assign(start, next_);
        ++next_;
        return true;
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)? with at most kMostDigits digits, its
    // digits taken once as they are checked. What follows is the caller's
    // to check: "01" or "1e5" stop before the "1" or the "e", which no
    // caller accepts next.
    QUORV_INLINE bool number(double& value) {
        skip_blanks();
        const char* start = next_;
        const bool negative = next_ != end_ && *next_ == '-';
        if (negative) ++next_;
        if (short_decimal(negative, value)) return true;
        std::uint64_t mantissa = 0;
        const std::size_t integer_digits = take_digits(mantissa);
        if (integer_digits == 0 || (integer_digits > 1 && start[negative] == '0')) return false;
        std::size_t fraction_digits = 0;
        if (next_ != end_ && *next_ == '.') {
            ++next_;
            fraction_digits = take_digits(mantissa);
            if (fraction_digits == 0) return false;
        }
        if (integer_digits + fraction_digits > kMostDigits) return false;
        if (mantissa <= kLargestExactMantissa) {
            // Both operands are exact, so the one division rounds once, to
            // the nearest double, ties to even: the correctly rounded value.
            const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[fraction_digits];
            value = negative ? -magnitude : magnitude;
            return true;
        }
        const auto [end, error] = std::from_chars(start, next_, value);
        return error == std::errc{} && end == next_;
    }

private:
    // The usual coordinate, digits, a point and digits, eight digits or
    // fewer in all, read as one word of digits with the point taken out.
    // Anything else is left to the general steps with nothing consumed.
    QUORV_INLINE bool short_decimal(bool negative, double& value) {
        using namespace digit_words;
        if constexpr (kAvailable) {
            // Both words must lie inside the text: the fraction's starts
            // at most eight bytes in.
            if (end_ - next_ < static_cast<std::ptrdiff_t>(2 * kWordBytes)) return false;
            const std::uint64_t integer_word = load_word(next_);
            const std::size_t integer_digits = leading_digits(integer_word);
            if (integer_digits == 0 || integer_digits >= kWordBytes || next_[integer_digits] != '.' ||
                (integer_digits > 1 && *next_ == '0')) {
                return false;
            }
            const std::uint64_t fraction_word = load_word(next_ + integer_digits + 1);
            const std::size_t fraction_digits = leading_digits(fraction_word);
            const std::size_t digits = integer_digits + fraction_digits;
            if (fraction_digits == 0 || digits > kWordBytes) return false;
            const std::uint64_t integer_bytes = (std::uint64_t{1} << (8 * integer_digits)) - 1;
            const std::uint64_t joined = (integer_word & integer_bytes) | (fraction_word << (8 * integer_digits));
            // At most 10^8: exact, and the division rounds once, as below.
            const double magnitude = static_cast<double>(leading_digits_value(joined, digits)) /
                                     kExactPowersOfTen[fraction_digits];
            value = negative ? -magnitude : magnitude;
            next_ += digits + 1;
            return true;
        } else {
            (void)negative;
            (void)value;
            return false;
        }
    }

    // A run of digits appended to `mantissa`, eight at a time while eight
    // bytes remain. Past kMostDigits digits `mantissa` wraps, and the caller
    // refuses such a run.
    QUORV_INLINE std::size_t take_digits(std::uint64_t& mantissa) {
        using namespace digit_words;
        const char* start = next_;
        if constexpr (kAvailable) {
            while (end_ - next_ >= static_cast<std::ptrdiff_t>(kWordBytes)) {
                const std::uint64_t word = load_word(next_);
                const std::size_t count = leading_digits(word);
                if (count == 0) return static_cast<std::size_t>(next_ - start);
                mantissa = mantissa * kPowersOfTen[count] + leading_digits_value(word, count);
                next_ += count;
                if (count < kWordBytes) return static_cast<std::size_t>(next_ - start);
            }
        }
        while (next_ != end_ && is_ascii_digit(*next_)) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*next_ - '0');
            ++next_;
        }
        return static_cast<std::size_t>(next_ - start);
    }

    const char* next_;
    const char* end_;
};

// Each scan works on a copy of the scanner, a local whose address never
// escapes, and hands its position back at the end: so the position stays in
// a register for the whole atom, where a scanner in memory would be stored
// at every step (the element's bytes might alias it).
bool scan_object(UsualAtomScanner& scanner, Atom& atom) {
    UsualAtomScanner local = scanner;
    const bool scanned =
        (local.literal(kObjectStart) || (local.token('{') && local.key(kElementKey) && local.token('"'))) &&
        local.plain_string_rest(atom.element) && local.member_separator(kBeforeX, kXKey) && local.number(atom.x) &&
        local.member_separator(kBeforeY, kYKey) && local.number(atom.y) &&
        local.member_separator(kBeforeZ, kZKey) && local.number(atom.z) && local.token('}');
    if (scanned) scanner = local;
    return scanned;
}

bool scan_array(UsualAtomScanner& scanner, Atom& atom) {
    UsualAtomScanner local = scanner;
    const bool scanned = local.token('[') && local.token('"') && local.plain_string_rest(atom.element) &&
                         local.element_separator() && local.number(atom.x) && local.element_separator() &&
                         local.number(atom.y) && local.element_separator() && local.number(atom.z) &&
                         local.token(']');
    if (scanned) scanner = local;
    return scanned;
}

bool scan_atom(UsualAtomScanner& scanner, Atom& atom) {
    return scanner.at('{') ? scan_object(scanner, atom) : scan_array(scanner, atom);
}

}  // namespace

bool read_usual_atom(std::string_view text, std::size_t& position, Atom& atom) {
    UsualAtomScanner scanner(text, position);
    if (!scan_atom(scanner, atom)) return false;
    position = scanner.position_in(text);
    return true;
}

void read_usual_atoms_that_follow(std::string_view text, std::size_t& position, std::vector<Atom>& atoms,
                                  std::size_t most, std::vector<std::uint64_t>* starts) {
    UsualAtomScanner scanner(text, position);
    while (atoms.size() < most) {
        UsualAtomScanner next = scanner;
        if (!next.literal(kComma) && !next.token(',')) break;
        next.skip_blanks();
        const std::size_t start = next.position_in(text);
        if (!scan_atom(next, atoms.emplace_back())) {
            atoms.pop_back();
            break;
        }
        if (starts != nullptr) starts->push_back(start);
        scanner = next;
    }
    position = scanner.position_in(text);
}

#undef QUORV_INLINE

}  // namespace quorv::spec_json
