// The letter case of element symbols, as the rules expect them.
#pragma once

#include <string>
#include <string_view>

namespace quorv::xyz {

// An ASCII lower-case first letter becomes upper-case, every later ASCII
// upper-case letter lower-case: cl, CL and Cl all give Cl. Nothing else
// changes and nothing is validated: C1 stays C1 and 6 stays 6.
std::string normalise_element(std::string_view token);

}  // namespace quorv::xyz
