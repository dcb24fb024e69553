#include "python/unicode_escape.h"

#include "text/escaping.h"

#include <algorithm>
#include <iterator>

namespace quorv::python {

namespace {

struct CodePointRange {
    char32_t first;
    char32_t last;
};

#include "python/unicode_tables.inc"

}  // namespace

bool needs_unicode_escape(char32_t code_point) {
    // The first range whose end is not below the code point is the only one
    // that can hold it.
    const auto* range = std::lower_bound(std::begin(kEscapedRanges), std::end(kEscapedRanges), code_point,
                                         [](const CodePointRange& r, char32_t c) { return r.last < c; });
    return range != std::end(kEscapedRanges) && range->first <= code_point;
}

std::string quoted_literal(std::string_view utf8) { return quoted_with_escapes(utf8, needs_unicode_escape); }

}  // namespace quorv::python
