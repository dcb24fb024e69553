// The diagnostic record shared by the rules engine and the source checker.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorv {

// Errors sort before warnings.
enum class Severity { Error, Warning };

constexpr std::string_view severity_text(Severity severity) {
    return severity == Severity::Error ? "error" : "warning";
}

// Every code a finding can carry; each always comes with the same severity.
namespace codes {
inline constexpr std::string_view kElectronParityAbstain = "electron-parity-abstain";
inline constexpr std::string_view kElectronCountNegative = "electron-count-negative";
inline constexpr std::string_view kSpinMultiplicityInvalid = "spin-multiplicity-invalid";
inline constexpr std::string_view kElectronParity = "electron-parity";
inline constexpr std::string_view kMetalSpinState = "metal-spin-state";
inline constexpr std::string_view kBareHeteroatom = "bare-heteroatom";
inline constexpr std::string_view kMetalUncoordinated = "metal-uncoordinated";
inline constexpr std::string_view kMetalLowCoordination = "metal-low-coordination";
inline constexpr std::string_view kOverlappingAtoms = "overlapping-atoms";
inline constexpr std::string_view kUnitScale = "unit-scale";
inline constexpr std::string_view kConformerNoSeed = "conformer-no-seed";
inline constexpr std::string_view kConformerExplicitRandom = "conformer-explicit-random";
}  // namespace codes

struct Finding {
    Severity severity = Severity::Error;
    std::string_view code;  // always one of the constants above, never built at run time
    std::string message;    // locations are written into the text
};

// Stable sort by severity alone: errors first, each group in production order.
void sort_by_severity(std::vector<Finding>& findings);

}  // namespace quorv
