// The key=value pairs of an extended XYZ comment line that change how a
// frame is read: Properties (which columns hold what), Lattice and pbc (the
// periodic cell).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorv::xyz {

struct ExtendedKeys {
    std::optional<std::string> properties;
    std::optional<std::string> lattice;
    std::optional<std::string> pbc;
    // A key of the three whose quoted value never closes.
    std::optional<std::string> unclosed;
};

// Pairs are separated by white space; a key may have blanks around its "=";
// a value is a run of non-blank characters or is enclosed in "", '', {} or
// [] (the enclosing characters dropped), and a backslash takes the next
// character as it is. Keys match case-sensitively, as ASE reads them; when
// a key repeats, the last value counts. Everything else on the line (charge=,
// energy=, free text) is left to other readers.
ExtendedKeys find_extended_keys(std::string_view comment);

}  // namespace quorv::xyz
