// Electron count and spin: can the declared charge and multiplicity describe
// a real electronic state, and is a lone closed-shell d10 cation a singlet?
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "lib/elements.h"
#include "text/format.h"
#include "lib/rules/rules.h"

namespace quorv {

namespace {

constexpr std::string_view kUndeclaredMessage =
    "electron parity not checked: charge and/or spin multiplicity not provided "
    "(a bare geometry omits them). Declare both to enable it.";
constexpr std::string_view kUnknownAtomicNumberMessage = "electron count not verified: unknown atomic number for {}";
constexpr std::string_view kUnknownEcpCoreMessage =
    "electron parity not verified: unknown ECP core for {} \u2014 declare it or verify by hand";
constexpr std::string_view kNegativeCountMessage = "electron count is negative ({}): charge or ECP setup is wrong";
constexpr std::string_view kInvalidMultiplicityMessage = "spin multiplicity must be \u2265 1, got {}";
constexpr std::string_view kParityMessage =
    "impossible state: {} electrons with multiplicity {}. N and (M\u22121) must share parity \u2014 "
    "(N+M) must be odd, here it is even. Most common cause: forgotten ECP core subtraction or "
    "wrong formal charge.";
constexpr std::string_view kClosedShellMessage =
    "{}{} is a closed-shell d\u00b9\u2070 cation and must be a singlet (M=1), but multiplicity {} "
    "was declared.";

void add(std::vector<Finding>& out, Severity severity, std::string_view code, std::string message) {
    out.push_back(Finding{severity, code, std::move(message)});
}

// The symbols an abstain message names: byte-wise sorted, each once, ", "-joined.
std::string symbol_list(std::vector<std::string_view> symbols) {
    std::sort(symbols.begin(), symbols.end());
    symbols.erase(std::unique(symbols.begin(), symbols.end()), symbols.end());
    std::string joined;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        if (i > 0) joined += ", ";
        joined += symbols[i];
    }
    return joined;
}

// "+2", "-1", "+0": the sign is always written.
std::string signed_decimal(std::int64_t value) {
    std::string text(value < 0 ? "" : "+");
    text += decimal(value);
    return text;
}

}  // namespace

// The first step that finds something ends this group; the later steps need
// everything the earlier ones established.
void check_electron_count(const ClusterSpec& spec, std::vector<Finding>& out) {
    if (!spec.charge.has_value() || !spec.spin_multiplicity.has_value()) {
        add(out, Severity::Warning, codes::kElectronParityAbstain, std::string(kUndeclaredMessage));
        return;
    }

    // Sums wrap in two's complement instead of overflowing: unsigned arithmetic
    // is defined modulo 2^64, and the conversion back to signed is too.
    std::uint64_t nuclear_charge = 0;
    std::vector<std::string_view> unknown_elements;
    for (const Atom& atom : spec.atoms) {
        if (auto z = atomic_number(atom.element)) {
            nuclear_charge += static_cast<std::uint64_t>(*z);
        } else {
            unknown_elements.push_back(atom.element);
        }
    }
    if (!unknown_elements.empty()) {
        add(out, Severity::Warning, codes::kElectronParityAbstain,
            fill(kUnknownAtomicNumberMessage, {symbol_list(std::move(unknown_elements))}));
        return;
    }

    const std::unordered_set<std::string_view> ecp_elements(spec.ecp_elements.begin(), spec.ecp_elements.end());
    std::uint64_t core_electrons = 0;
    std::vector<std::string_view> unknown_cores;
    for (const Atom& atom : spec.atoms) {
        if (!ecp_elements.contains(atom.element)) continue;
        if (auto core = ecp_core_electrons(atom.element)) {
            core_electrons += static_cast<std::uint64_t>(*core);
        } else {
            unknown_cores.push_back(atom.element);
        }
    }
    if (!unknown_cores.empty()) {
        add(out, Severity::Warning, codes::kElectronParityAbstain,
            fill(kUnknownEcpCoreMessage, {symbol_list(std::move(unknown_cores))}));
        return;
    }

    const auto electrons = static_cast<std::int64_t>(
        nuclear_charge - (static_cast<std::uint64_t>(*spec.charge) + core_electrons));
    if (electrons < 0) {
        add(out, Severity::Error, codes::kElectronCountNegative, fill(kNegativeCountMessage, {decimal(electrons)}));
        return;
    }

    const std::uint32_t multiplicity = *spec.spin_multiplicity;
    if (multiplicity == 0) {
        add(out, Severity::Error, codes::kSpinMultiplicityInvalid,
            fill(kInvalidMultiplicityMessage, {decimal(multiplicity)}));
        return;
    }

    // N and M-1 share parity exactly when N + M is odd; only the lowest bit matters.
    const bool sum_is_even = ((static_cast<std::uint64_t>(electrons) + multiplicity) & 1U) == 0;
    if (sum_is_even) {
        add(out, Severity::Error, codes::kElectronParity,
            fill(kParityMessage, {decimal(electrons), decimal(multiplicity)}));
    }
}

void check_closed_shell_metal(const ClusterSpec& spec, std::vector<Finding>& out) {
    if (!spec.metal_oxidation_state.has_value() || !spec.spin_multiplicity.has_value()) return;

    // The oxidation state belongs to "the" metal: with two metal atoms (even of
    // one element) it is ambiguous, so the rule applies to exactly one.
    const Atom* metal = nullptr;
    for (const Atom& atom : spec.atoms) {
        if (!is_metal(atom.element)) continue;
        if (metal != nullptr) return;
        metal = &atom;
    }
    if (metal == nullptr) return;

    const std::int64_t oxidation_state = *spec.metal_oxidation_state;
    const std::uint32_t multiplicity = *spec.spin_multiplicity;
    if (is_closed_shell_d10(metal->element, oxidation_state) && multiplicity != 1) {
        add(out, Severity::Error, codes::kMetalSpinState,
            fill(kClosedShellMessage, {metal->element, signed_decimal(oxidation_state), decimal(multiplicity)}));
    }
}

}  // namespace quorv
