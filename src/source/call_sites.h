// Finding the calls of one embedding function and the extent of their
// argument texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quorv::seed_check {

struct CallSite {
    std::size_t line = 1;           // 1-based line of the function name (LF ends a line)
    std::size_t args_begin = 0;     // just after the opening "("
    std::size_t args_end = 0;       // the ")" that closes it, or the end of the text
    std::int64_t bracket_depth = 0; // "([{" minus ")]}" from the start of the text up to args_begin
};

// Every occurrence of "<name>(" in text order, each search starting just after
// the previous opening parenthesis, so calls nested in an earlier call's
// arguments are found too. Only "(" and ")" decide where a call's argument
// text ends; everything else, quotes and comment signs included, is ignored.
std::vector<CallSite> find_call_sites(std::string_view source, std::string_view name);

}  // namespace quorv::seed_check
