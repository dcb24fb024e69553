// Building clusters and reading findings back as text, for the rule tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lib/cluster.h"
#include "lib/finding.h"
#include "lib/lint.h"

namespace quorv::testing {

inline constexpr std::string_view name_of(Code code) { return catalog_entry(code).name; }

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline double just_above(double value) { return std::nextafter(value, kInf); }
inline double just_below(double value) { return std::nextafter(value, -kInf); }

inline Atom atom(std::string element, double x = 0.0, double y = 0.0, double z = 0.0) {
    return Atom{std::move(element), x, y, z};
}

// A cluster with charge and multiplicity declared, so that the electron-count
// rules run past their first step.
inline ClusterSpec declared(std::vector<Atom> atoms, std::int64_t charge, std::uint32_t multiplicity,
                            std::vector<std::string> ecp_elements = {},
                            std::optional<std::int64_t> metal_oxidation_state = std::nullopt) {
    ClusterSpec spec;
    spec.atoms = std::move(atoms);
    spec.charge = charge;
    spec.spin_multiplicity = multiplicity;
    spec.ecp_elements = std::move(ecp_elements);
    spec.metal_oxidation_state = metal_oxidation_state;
    return spec;
}

// One line per finding, "severity code: message", in list order.
inline std::string render(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& finding : findings) {
        text += severity_text(finding.severity());
        text += ' ';
        text += finding.code_name();
        text += ": ";
        text += finding.message();
        text += '\n';
    }
    return text;
}

inline std::string lint_text(const ClusterSpec& spec) { return render(lint(spec)); }

// The findings of `lint` that carry one of the given codes, in list order.
inline std::string lint_text(const ClusterSpec& spec, std::initializer_list<std::string_view> codes) {
    std::vector<Finding> kept;
    for (Finding& finding : lint(spec)) {
        for (std::string_view code : codes) {
            if (finding.code_name() == code) kept.push_back(std::move(finding));
        }
    }
    return render(kept);
}

// The codes of `lint`'s findings, space-separated, in list order.
inline std::string lint_codes(const ClusterSpec& spec) {
    std::string text;
    for (const Finding& finding : lint(spec)) {
        if (!text.empty()) text += ' ';
        text += finding.code_name();
    }
    return text;
}

}  // namespace quorv::testing
