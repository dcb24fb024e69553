// The letter case of element symbols, as the rules expect them.
#pragma once

#include <string>
#include <string_view>

namespace quorv::xyz {

// Sets `symbol` to the token with its letter case normalised: an ASCII
// lower-case first letter becomes upper-case, every later ASCII upper-case
// letter lower-case, so cl, CL and Cl all give Cl. Nothing else changes and
// nothing is validated: C1 stays C1 and 6 stays 6. The token is copied once,
// straight into the atom's own text.
void normalise_element(std::string_view token, std::string& symbol);

}  // namespace quorv::xyz
