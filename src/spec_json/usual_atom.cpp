#include "spec_json/usual_atom.h"

#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "text/ascii.h"

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

constexpr std::string_view kElementKey = "\"element\"";
constexpr std::string_view kXKey = "\"x\"";
constexpr std::string_view kYKey = "\"y\"";
constexpr std::string_view kZKey = "\"z\"";

constexpr bool is_json_blank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// A string byte that stands for itself and needs no UTF-8 check.
constexpr bool is_plain_string_byte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '"' && c != '\\';
}

class UsualAtomScanner {
public:
    UsualAtomScanner(std::string_view text, std::size_t position)
        : next_(text.data() + position), end_(text.data() + text.size()) {}

    const char* next() const { return next_; }

    bool token(char expected) {
        skip_blanks();
        if (next_ == end_ || *next_ != expected) return false;
        ++next_;
        return true;
    }

    // A key written without escapes, and its colon.
    bool key(std::string_view quoted) {
        skip_blanks();
        if (static_cast<std::size_t>(end_ - next_) < quoted.size() ||
            std::memcmp(next_, quoted.data(), quoted.size()) != 0) {
            return false;
        }
        next_ += quoted.size();
        return token(':');
    }

    bool plain_string(std::string& value) {
        if (!token('"')) return false;
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
    bool number(double& value) {
        skip_blanks();
        const char* start = next_;
        const bool negative = next_ != end_ && *next_ == '-';
        if (negative) ++next_;
        if (next_ == end_ || !is_ascii_digit(*next_)) return false;
        std::uint64_t mantissa = 0;
        std::size_t digits = 0;
        if (*next_ == '0') {
            ++next_;
            digits = 1;
        } else {
            digits = take_digits(mantissa);
        }
        std::size_t fraction_digits = 0;
        if (next_ != end_ && *next_ == '.') {
            ++next_;
            fraction_digits = take_digits(mantissa);
            if (fraction_digits == 0) return false;
            digits += fraction_digits;
        }
        if (digits > kMostDigits) return false;
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
    void skip_blanks() {
        while (next_ != end_ && is_json_blank(*next_)) ++next_;
    }

    // Digits appended to `mantissa`; wraps past kMostDigits digits, which
    // the caller refuses anyway.
    std::size_t take_digits(std::uint64_t& mantissa) {
        const char* start = next_;
        while (next_ != end_ && is_ascii_digit(*next_)) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*next_ - '0');
            ++next_;
        }
        return static_cast<std::size_t>(next_ - start);
    }

    const char* next_;
    const char* end_;
};

bool scan_object(UsualAtomScanner& scanner, Atom& atom) {
    return scanner.token('{') && scanner.key(kElementKey) && scanner.plain_string(atom.element) &&
           scanner.token(',') && scanner.key(kXKey) && scanner.number(atom.x) && scanner.token(',') &&
           scanner.key(kYKey) && scanner.number(atom.y) && scanner.token(',') && scanner.key(kZKey) &&
           scanner.number(atom.z) && scanner.token('}');
}

bool scan_array(UsualAtomScanner& scanner, Atom& atom) {
    return scanner.token('[') && scanner.plain_string(atom.element) && scanner.token(',') &&
           scanner.number(atom.x) && scanner.token(',') && scanner.number(atom.y) && scanner.token(',') &&
           scanner.number(atom.z) && scanner.token(']');
}

}  // namespace

bool read_usual_atom(std::string_view text, std::size_t& position, Atom& atom) {
    if (position >= text.size()) return false;
    UsualAtomScanner scanner(text, position);
    const bool read = text[position] == '{' ? scan_object(scanner, atom) : scan_array(scanner, atom);
    if (read) position = static_cast<std::size_t>(scanner.next() - text.data());
    return read;
}

}  // namespace quorv::spec_json
