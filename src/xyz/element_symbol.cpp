#include "xyz/element_symbol.h"

#include "text/ascii.h"

namespace quorv::xyz {

void normalise_element(std::string_view token, std::string& symbol) {
    symbol.assign(token);
    // Bytewise is safe in UTF-8: no byte of a multi-byte character is an ASCII letter.
    for (std::size_t i = 0; i < symbol.size(); ++i) symbol[i] = i == 0 ? ascii_upper(symbol[i]) : ascii_lower(symbol[i]);
}

}  // namespace quorv::xyz
