#include "spec_json/atom_list_size.h"

#include <algorithm>

namespace quorv::spec_json {

namespace {

constexpr std::size_t kFewestBytesPerAtom = 11;

}  // namespace

std::size_t likely_atom_count(std::size_t atoms, std::size_t bytes_read, std::size_t bytes_left) {
    const std::size_t most_in_rest = bytes_left / kFewestBytesPerAtom + 1;
    if (atoms == 0 || bytes_read == 0) return atoms + most_in_rest;
    // Split so that no product can overflow: `atoms` is small.
    std::size_t rest = bytes_left / bytes_read * atoms + bytes_left % bytes_read * atoms / bytes_read;
    rest += rest / 8;
    return atoms + std::min(rest, most_in_rest);
}

}  // namespace quorv::spec_json
