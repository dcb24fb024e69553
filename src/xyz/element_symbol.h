// The letter case of element symbols, as the rules expect them.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "text/ascii.h"

namespace quorv::xyz {

// Sets `symbol` to the token with its letter case normalised: an ASCII
// lower-case first letter becomes upper-case, every later ASCII upper-case
// letter lower-case, so cl, CL and Cl all give Cl. Nothing else changes and
// nothing is validated: C1 stays C1 and 6 stays 6. The token is copied once,
// straight into the atom's own text (in place when the text already has its
// length, as an atom read again for the next frame usually does).
//
// Inline: it runs for every atom.
inline void normalise_element(std::string_view token, std::string& symbol) {
    if (symbol.size() == token.size()) {
        if (!token.empty()) std::memcpy(symbol.data(), token.data(), token.size());
    } else {
        symbol.assign(token);
    }
    // Bytewise is safe in UTF-8: no byte of a multi-byte character is an ASCII letter.
    for (std::size_t i = 0; i < symbol.size(); ++i) symbol[i] = i == 0 ? ascii_upper(symbol[i]) : ascii_lower(symbol[i]);
}

}  // namespace quorv::xyz
