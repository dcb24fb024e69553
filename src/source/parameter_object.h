// The parameter-object test for a call without the seed keyword: does one of
// its top-level arguments name an object whose ".randomSeed" is set somewhere
// in the text?
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "source/call_sites.h"
#include "source/position_list.h"
#include "source/seed_attributes.h"

namespace quorv::seed_check {

// Positions and depths take `Offset`'s width (see PositionList).
template <typename Offset>
class ParameterObjectTest {
public:
    // All referenced objects must outlive the test.
    ParameterObjectTest(std::string_view source, const PositionList<Offset>& equals_signs,
                        const PositionList<Offset>& keywords);

    // The argument text is split at the commas outside "()", "[]" and "{}"
    // (one shared depth counter, closers not matched to openers, a negative
    // depth suppressing splits too). A piece names a seeded object when,
    // trimmed, taken after its first "=" if it has one, and trimmed again,
    // it is a simple identifier whose ".randomSeed" occurs in the text.
    bool names_seeded_object(const CallSite& call);

private:
    // A comma and the bracket depth in front of it, counted from the start of
    // the text. A call's top-level commas are exactly those at its own depth.
    struct Comma {
        std::make_signed_t<Offset> depth;
        Offset pos;
    };

    // What a value looks like from where it starts: blanks, an identifier
    // character run, blanks. It is a simple identifier for a piece that ends
    // exactly where the trailing blanks end.
    struct ValueShape {
        std::size_t blanks_end;  // end of the leading blanks = start of the run
        std::size_t run_end;
        std::size_t trailing_blanks_end;
        bool names_seeded_object;  // the run is an identifier with a seed attribute
    };

    // Where a piece's value starts: after its first "=", if it has one.
    std::size_t value_begin(std::size_t piece_begin, std::size_t piece_end) const;
    ValueShape scan_value(std::size_t begin) const;
    static bool piece_fits(const ValueShape& shape, std::size_t piece_end);
    bool piece_names_seeded_object(std::size_t begin, std::size_t end);  // remembers the shape
    std::size_t skip_white_space(std::size_t pos) const;

    std::string_view source_;
    const PositionList<Offset>& equals_signs_;
    SeedAttributeIndex seed_attributes_;
    // Empty when no seed attribute is written anywhere: then no piece can
    // name a seeded object, and no comma needs to be known.
    std::vector<Comma> commas_;  // by depth, then by position
    // Each i such that the piece between commas_[i] and commas_[i + 1], of
    // equal depth, names a seeded object. A call's inner pieces are such
    // pieces, so nested calls need not split the same text again.
    std::vector<Offset> seeded_gaps_;
    // Shapes of the first and last pieces that calls asked about. Every value
    // start lies just after an ASCII delimiter, so scans from different starts
    // never overlap, and calls nested in each other often share a last piece.
    std::unordered_map<std::size_t, ValueShape> shapes_;
};

extern template class ParameterObjectTest<std::uint32_t>;
extern template class ParameterObjectTest<std::uint64_t>;

}  // namespace quorv::seed_check
