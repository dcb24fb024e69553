// conformer-no-seed, conformer-explicit-random: every call of EmbedMolecule
// or EmbedMultipleConfs in a script whose random seed is not fixed. A call
// whose argument text names randomSeed is judged by the value after it (-1
// asks for a random seed: a warning); any other call must pass a parameter
// object whose ".randomSeed" is set somewhere in the text, or it is an error.
// A text scanner, not a parser: comments and strings count like code.
#include "source/seed_checker.h"

#include <array>
#include <optional>

#include "source/call_sites.h"
#include "source/explicit_seed.h"
#include "source/parameter_object.h"
#include "source/patterns.h"
#include "source/position_list.h"

namespace quorv {

namespace {

using namespace seed_check;

// Everything the per-call tests look up, built once per text and only when
// the text has a call at all.
template <typename Offset>
struct SourceIndex {
    explicit SourceIndex(std::string_view source)
        : keywords(source, kSeedKeyword),
          equals_signs(source, "="),
          explicit_seeds(source, equals_signs),
          parameter_objects(source, equals_signs, keywords) {}

    PositionList<Offset> keywords;
    PositionList<Offset> equals_signs;
    ExplicitSeedReader<Offset> explicit_seeds;
    ParameterObjectTest<Offset> parameter_objects;
};

template <typename Offset>
void judge_calls(std::string_view source, const std::array<std::vector<CallSite>, kEmbeddingFunctions.size()>& calls,
                 FindingSink& sink) {
    SourceIndex<Offset> index(source);
    OrderedFindings out(sink);
    for (std::size_t i = 0; i < kEmbeddingFunctions.size(); ++i) {
        const std::string_view function = kEmbeddingFunctions[i];
        for (const CallSite& call : calls[i]) {
            // A call that mentions the keyword is judged by it alone.
            if (auto keyword = index.keywords.first_within(call.args_begin, call.args_end)) {
                if (index.explicit_seeds.asks_for_random_seed(*keyword, call.args_end)) {
                    out.add(make_line_finding(messages::kConformerExplicitRandom, call.line, function));
                }
            } else if (!index.parameter_objects.names_seeded_object(call)) {
                out.add(make_line_finding(messages::kConformerNoSeed, call.line, function));
            }
        }
    }
    out.finish();
}

}  // namespace

void lint_python_source(std::string_view source, FindingSink& sink) {
    std::array<std::vector<CallSite>, kEmbeddingFunctions.size()> calls_by_function;
    bool any_call = false;
    for (std::size_t i = 0; i < kEmbeddingFunctions.size(); ++i) {
        calls_by_function[i] = find_call_sites(source, kEmbeddingFunctions[i]);
        any_call = any_call || !calls_by_function[i].empty();
    }
    if (!any_call) return;

    // Positions and bracket depths fit 32 bits (signed, for the depths) in
    // any text below 2 GiB: half the memory of the indexes.
    constexpr std::size_t kNarrowTextBytes = std::size_t{1} << 31;
    if (source.size() < kNarrowTextBytes) judge_calls<std::uint32_t>(source, calls_by_function, sink);
    else judge_calls<std::uint64_t>(source, calls_by_function, sink);
}

std::vector<Finding> lint_python_source(std::string_view source) {
    FindingList list;
    lint_python_source(source, list);
    return std::move(list.findings);
}

}  // namespace quorv
