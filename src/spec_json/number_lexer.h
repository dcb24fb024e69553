// JSON numbers, kept as integers while they are written as integers that fit
// 64 bits, as correctly rounded doubles otherwise.
#pragma once

#include <cstdint>

#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

struct JsonNumber {
    enum class Kind {
        NonNegativeInteger,  // no fraction, no exponent, 0 ..= 2^64-1
        NegativeInteger,     // no fraction, no exponent, -2^63 ..= -1
        Floating,            // everything else, -0 included
    };
    Kind kind = Kind::NonNegativeInteger;
    std::uint64_t non_negative = 0;
    std::int64_t negative = 0;
    double floating = 0.0;

    double as_double() const;
};

// Reads a number whose first byte ('-' or a digit) is next. A value beyond
// the double range fails with "number out of range"; one too small for it
// becomes zero of the same sign.
bool read_number(ByteCursor& cursor, JsonNumber& number);

// Reads past a well-formed number whose first byte is next, without taking
// its value: any magnitude is fine where nobody asked for the value.
bool skip_number(ByteCursor& cursor);

}  // namespace quorv::spec_json
