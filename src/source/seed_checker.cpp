#include "source/seed_checker.h"

#include <array>
#include <optional>

#include "text/format.h"
#include "source/call_sites.h"
#include "source/explicit_seed.h"
#include "source/parameter_object.h"
#include "source/patterns.h"
#include "source/position_list.h"

namespace quorv {

namespace {

constexpr std::string_view kNoSeedMessage =
    "line {}: {}(...) has no fixed randomSeed \u2014 the embedding is nondeterministic and the 3D geometry "
    "(and every descriptor computed on it) changes each run. Set params.randomSeed to a fixed value.";
constexpr std::string_view kExplicitRandomMessage =
    "line {}: {}(...) sets randomSeed=-1, which is explicitly nondeterministic. Use a fixed nonnegative seed "
    "for reproducibility.";

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

Finding finding_for(Severity severity, std::string_view code, std::string_view message_template,
                    const CallSite& call, std::string_view function) {
    return {severity, code, fill(message_template, {decimal(std::uint64_t{call.line}), function})};
}

}  // namespace

std::vector<Finding> lint_python_source(std::string_view source) {
    std::array<std::vector<CallSite>, kEmbeddingFunctions.size()> calls_by_function;
    bool any_call = false;
    for (std::size_t i = 0; i < kEmbeddingFunctions.size(); ++i) {
        calls_by_function[i] = find_call_sites(source, kEmbeddingFunctions[i]);
        any_call = any_call || !calls_by_function[i].empty();
    }
    if (!any_call) return {};

    SourceIndex index(source);
    std::vector<Finding> findings;
    for (std::size_t i = 0; i < kEmbeddingFunctions.size(); ++i) {
        const std::string_view function = kEmbeddingFunctions[i];
        for (const CallSite& call : calls_by_function[i]) {
            // A call that mentions the keyword is judged by it alone.
            if (auto keyword = index.keywords.first_within(call.args_begin, call.args_end)) {
                if (index.explicit_seeds.asks_for_random_seed(*keyword, call.args_end)) {
                    findings.push_back(finding_for(Severity::Warning, codes::kConformerExplicitRandom,
                                                   kExplicitRandomMessage, call, function));
                }
            } else if (!index.parameter_objects.names_seeded_object(call)) {
                findings.push_back(
                    finding_for(Severity::Error, codes::kConformerNoSeed, kNoSeedMessage, call, function));
            }
        }
    }
    sort_by_severity(findings);
    return findings;
}

}  // namespace quorv
