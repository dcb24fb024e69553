// The fixed texts the conformer-seed checker looks for.
#pragma once

#include <array>
#include <string_view>

namespace quorv::seed_check {

// Searched in this order; every occurrence of the first is reported before
// any of the second.
inline constexpr std::array<std::string_view, 2> kEmbeddingFunctions = {"EmbedMolecule", "EmbedMultipleConfs"};

// A call is the name immediately followed by "(": no blank in between.
inline constexpr std::string_view kCallPatternTemplate = "{}(";

// The seed keyword, case-sensitive, wherever it appears in an argument text.
inline constexpr std::string_view kSeedKeyword = "randomSeed";

// A parameter object counts as seeded when its name is written somewhere as
// "<name>.randomSeed": the name, this separator, then the keyword.
inline constexpr char kAttributeSeparator = '.';

// Characters of a simple identifier; the first may not be a digit.
constexpr bool is_identifier_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
constexpr bool is_identifier_char(char c) { return is_identifier_start(c) || (c >= '0' && c <= '9'); }

}  // namespace quorv::seed_check
