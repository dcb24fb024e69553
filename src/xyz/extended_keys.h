// The key=value pairs of an extended XYZ comment line that change how a
// frame is read: Properties (which columns hold what), Lattice and pbc (the
// periodic cell).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quorv::xyz {

// The values found, as views into the comment line or, for a value that had
// to be put together (an escape, or quoted parts joined to others), into
// text the object keeps. So it can be neither copied nor moved; one kept
// from frame to frame needs no allocation.
class ExtendedKeys {
public:
    ExtendedKeys() = default;
    ExtendedKeys(const ExtendedKeys&) = delete;
    ExtendedKeys& operator=(const ExtendedKeys&) = delete;

    std::optional<std::string_view> properties;
    std::optional<std::string_view> lattice;
    std::optional<std::string_view> pbc;
    // A key of the three whose quoted value never closes.
    std::optional<std::string_view> unclosed;

private:
    friend void find_extended_keys(std::string_view comment, ExtendedKeys& keys);
    std::array<std::string, 3> joined_;  // by key, in the order above
};

// Pairs are separated by white space; a key may have blanks around its "=";
// a value is a run of non-blank characters or is enclosed in "", '', {} or
// [] (the enclosing characters dropped), and a backslash takes the next
// character as it is. Keys match case-sensitively, as ASE reads them; when
// a key repeats, the last value counts. Everything else on the line (charge=,
// energy=, free text) is left to other readers. The values stay valid while
// the comment line and `keys` do.
void find_extended_keys(std::string_view comment, ExtendedKeys& keys);

}  // namespace quorv::xyz
