#include "xyz/element_symbol.h"

namespace quorv::xyz {

void normalise_element(std::string_view token, std::string& symbol) {
    symbol.assign(token);
    // Bytewise is safe in UTF-8: no byte of a multi-byte character is an ASCII letter.
    for (std::size_t i = 0; i < symbol.size(); ++i) {
        char& c = symbol[i];
        if (i == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (i > 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
}

}  // namespace quorv::xyz
