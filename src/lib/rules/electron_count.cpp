// electron-parity-abstain, electron-count-negative, spin-multiplicity-invalid,
// electron-parity: can the declared charge and multiplicity describe a real
// electronic state? N = Z - (charge + ECP core electrons) must not be
// negative, M must be at least 1, and N + M must be odd. When a step cannot
// be evaluated (no charge or multiplicity, an unknown element, an ECP core
// the table does not know) the group abstains with a warning that says why.
// The first step that finds something ends the group.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "lib/elements.h"
#include "lib/rules/atom_elements.h"
#include "lib/rules/rules.h"
#include "lib/rules/symbol_set.h"
#include "text/format.h"

namespace quorv {

namespace {

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

void report(OrderedFindings& out, Finding finding) { out.add(std::move(finding)); }

// Elements: per atom index, atomic_number and ecp_core_electrons (optional
// counts), symbol and slot (lib/symbol_slot.h).
template <typename Elements>
void count_electrons(const ClusterSpec& spec, const Elements& elements, Message<std::string_view> unknown_ecp_core,
                     OrderedFindings& out) {
    if (!spec.charge.has_value() || !spec.spin_multiplicity.has_value()) {
        return report(out, make_finding(messages::kChargeOrMultiplicityMissing, {}));
    }

    // Counted exactly: a charge near the 64-bit limits moves N past them.
    Int128 nuclear_charge = 0;
    std::vector<std::string_view> unknown_elements;
    for (std::size_t i = 0; i < spec.atoms.size(); ++i) {
        if (auto z = elements.atomic_number(i)) {
            nuclear_charge += *z;
        } else {
            unknown_elements.push_back(elements.symbol(i));
        }
    }
    if (!unknown_elements.empty()) {
        return report(out, make_finding(messages::kUnknownAtomicNumber, {}, symbol_list(std::move(unknown_elements))));
    }

    Int128 core_electrons = 0;
    std::vector<std::string_view> unknown_cores;
    // Most clusters declare no ECP: then no atom has a core to count.
    if (!spec.ecp_elements.empty()) {
        const SymbolSet ecp_elements(spec.ecp_elements);
        for (std::size_t i = 0; i < spec.atoms.size(); ++i) {
            if (!ecp_elements.contains(elements.symbol(i), elements.slot(i))) continue;
            if (auto core = elements.ecp_core_electrons(i)) {
                core_electrons += *core;
            } else {
                unknown_cores.push_back(elements.symbol(i));
            }
        }
    }
    if (!unknown_cores.empty()) {
        return report(out, make_finding(unknown_ecp_core, {}, symbol_list(std::move(unknown_cores))));
    }

    const Int128 electrons = nuclear_charge - (Int128{*spec.charge} + core_electrons);
    if (electrons < 0) return report(out, make_finding(messages::kNegativeElectronCount, {}, decimal(electrons)));

    const std::uint32_t multiplicity = *spec.spin_multiplicity;
    if (multiplicity == 0) return report(out, make_finding(messages::kMultiplicityZero, {}, multiplicity));

    // N and M-1 share parity exactly when N + M is odd.
    if ((electrons + multiplicity) % 2 == 0) {
        report(out, make_finding(messages::kImpossibleParity, {}, decimal(electrons), multiplicity));
    }
}

}  // namespace

void check_electron_count(const ClusterSpec& spec, const ElementTables& tables, OrderedFindings& out) {
    count_electrons(spec, TableLookups(tables, spec.atoms), tables.unknown_ecp_core, out);
}

void check_electron_count(const ClusterSpec& spec, const AtomElements& elements, OrderedFindings& out) {
    count_electrons(spec, elements, messages::kUnknownEcpCore, out);
}

}  // namespace quorv
