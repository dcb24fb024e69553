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
struct SourceIndex {
    explicit SourceIndex(std::string_view source)
        : keywords(source, kSeedKeyword),
          equals_signs(source, "="),
          explicit_seeds(source, equals_signs),
          parameter_objects(source, equals_signs, keywords) {}

    PositionList keywords;
    PositionList equals_signs;
    ExplicitSeedReader explicit_seeds;
    ParameterObjectTest parameter_objects;
};

}  // namespace

void lint_python_source(std::string_view source, FindingSink& sink) {
    std::array<std::vector<CallSite>, kEmbeddingFunctions.size()> calls_by_function;
    bool any_call = false;
    for (std::size_t i = 0; i < kEmbeddingFunctions.size(); ++i) {
        calls_by_function[i] = find_call_sites(source, kEmbeddingFunctions[i]);
        any_call = any_call || !calls_by_function[i].empty();
    }
    if (!any_call) return;

    SourceIndex index(source);
    OrderedFindings out(sink);
    for (std::size_t i = 0; i < kEmbeddingFunctions.size(); ++i) {
        const std::string_view function = kEmbeddingFunctions[i];
        for (const CallSite& call : calls_by_function[i]) {
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

std::vector<Finding> lint_python_source(std::string_view source) {
    FindingList list;
    lint_python_source(source, list);
    return std::move(list.findings);
}

}  // namespace quorv
