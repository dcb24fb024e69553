#include "source/call_sites.h"

#include <algorithm>

#include "text/format.h"
#include "source/patterns.h"

namespace quorv::seed_check {

namespace {

// Sets args_end and bracket_depth of every site in one pass over the text.
// A call's argument text ends at the first ")" that brings the parenthesis
// level back to where it was before the call's "(". Calls still open are
// nested, with strictly rising levels, so only the innermost one can close
// at any ")": a stack of open calls suffices.
void measure_argument_texts(std::string_view source, std::vector<CallSite>& sites) {
    struct OpenCall {
        std::size_t site;
        std::int64_t level_before;
    };
    std::vector<OpenCall> open_calls;
    std::size_t next_site = 0;
    std::int64_t paren_level = 0;
    std::int64_t bracket_depth = 0;
    for (std::size_t pos = 0; pos < source.size(); ++pos) {
        if (next_site == sites.size() && open_calls.empty()) break;
        switch (source[pos]) {
            case '(':
                if (next_site < sites.size() && sites[next_site].args_begin == pos + 1) {
                    open_calls.push_back({next_site, paren_level});
                    sites[next_site].bracket_depth = bracket_depth + 1;
                    ++next_site;
                }
                ++paren_level;
                ++bracket_depth;
                break;
            case ')':
                --paren_level;
                --bracket_depth;
                if (!open_calls.empty() && open_calls.back().level_before == paren_level) {
                    sites[open_calls.back().site].args_end = pos;
                    open_calls.pop_back();
                }
                break;
            case '[':
            case '{': ++bracket_depth; break;
            case ']':
            case '}': --bracket_depth; break;
            default: break;
        }
    }
}

}  // namespace

std::vector<CallSite> find_call_sites(std::string_view source, std::string_view name) {
    const std::string pattern = fill(kCallPatternTemplate, {name});
    std::vector<CallSite> sites;
    std::size_t line = 1;
    std::size_t lines_counted_to = 0;  // line numbers grow with the search, never recounted from 0
    std::size_t pos = source.find(pattern);
    while (pos != std::string_view::npos) {
        line += static_cast<std::size_t>(std::count(source.begin() + static_cast<std::ptrdiff_t>(lines_counted_to),
                                                    source.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
        lines_counted_to = pos;
        const std::size_t open_paren = pos + name.size();
        sites.push_back({line, open_paren + 1, source.size(), 0});
        pos = source.find(pattern, open_paren + 1);
    }
    measure_argument_texts(source, sites);
    return sites;
}

}  // namespace quorv::seed_check
