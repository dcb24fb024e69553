// The rule groups that the engine runs, each adding its findings in order.
// A group's file is named after the codes it emits and documents them at its
// top; the functions that report a finding are shared with the pairwise
// reference of the geometry rules, so that both word them alike. Each
// geometry group has a second form for periodic frames, which measures over
// the periodic images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "lib/cluster.h"
#include "lib/elements.h"
#include "lib/lint.h"
#include "lib/symbol_slot.h"

namespace quorv {

namespace geometry {
class MoleculeNeighbours;
class PeriodicNeighbours;
}  // namespace geometry

class AtomElements;

// The element tables the electron-count and metal spin rules read: the
// strict ones (lib/elements.h) or those of every element (the preview).
struct ElementTables {
    std::optional<std::int64_t> (*atomic_number)(std::string_view symbol);
    std::optional<std::int64_t> (*ecp_core_electrons)(std::string_view symbol);
    bool (*is_metal)(std::string_view symbol);
    Message<std::string_view> unknown_ecp_core;
};

inline constexpr ElementTables kStrictTables{atomic_number, ecp_core_electrons, is_metal, messages::kUnknownEcpCore};

// The lookups of ElementTables, asked per atom index, as AtomElements
// answers them from the lookups made once per call.
class TableLookups {
public:
    TableLookups(const ElementTables& tables, std::span<const Atom> atoms) : tables_(tables), atoms_(atoms) {}
    std::string_view symbol(std::size_t index) const { return atoms_[index].element; }
    std::size_t slot(std::size_t index) const { return symbol_slot(atoms_[index].element); }
    std::optional<std::int64_t> atomic_number(std::size_t index) const { return tables_.atomic_number(symbol(index)); }
    std::optional<std::int64_t> ecp_core_electrons(std::size_t index) const {
        return tables_.ecp_core_electrons(symbol(index));
    }
    bool is_metal(std::size_t index) const { return tables_.is_metal(symbol(index)); }

private:
    const ElementTables& tables_;
    std::span<const Atom> atoms_;
};

// The rules that take AtomElements judge by the strict tables, as `lint`
// runs them; the geometry rules answer their questions through the
// neighbours given, of a molecule or of a periodic frame.

// electron_count.cpp: at most one finding.
void check_electron_count(const ClusterSpec& spec, const ElementTables& tables, OrderedFindings& out);
void check_electron_count(const ClusterSpec& spec, const AtomElements& elements, OrderedFindings& out);
inline void check_electron_count(const ClusterSpec& spec, OrderedFindings& out) {
    check_electron_count(spec, kStrictTables, out);
}
// metal_spin_state.cpp: at most one finding.
void check_metal_spin_state(const ClusterSpec& spec, const ElementTables& tables, OrderedFindings& out);
void check_metal_spin_state(const ClusterSpec& spec, const AtomElements& elements, OrderedFindings& out);
inline void check_metal_spin_state(const ClusterSpec& spec, OrderedFindings& out) {
    check_metal_spin_state(spec, kStrictTables, out);
}

// bare_heteroatom.cpp
void check_bare_heteroatoms(const AtomElements& elements, geometry::MoleculeNeighbours& neighbours,
                            OrderedFindings& out);
void check_bare_heteroatoms(const AtomElements& elements, geometry::PeriodicNeighbours& neighbours,
                            OrderedFindings& out);
void report_bare_heteroatom(OrderedFindings& out, std::span<const Atom> atoms, std::size_t index, double cutoff,
                            double nearest);

// metal_coordination.cpp: a finding for a metal with no or one neighbour, nothing for more.
void check_metal_coordination(const AtomElements& elements, geometry::MoleculeNeighbours& neighbours,
                              OrderedFindings& out);
void check_metal_coordination(const AtomElements& elements, geometry::PeriodicNeighbours& neighbours,
                              OrderedFindings& out);
void report_metal_coordination(OrderedFindings& out, std::span<const Atom> atoms, std::size_t index,
                               std::size_t neighbours);

// overlapping_atoms.cpp
void check_overlapping_atoms(const ClusterSpec& spec, OrderedFindings& out);
void check_overlapping_atoms(std::span<const Atom> atoms, const geometry::MoleculeNeighbours& neighbours,
                             OrderedFindings& out);
void check_overlapping_atoms(std::span<const Atom> atoms, const geometry::PeriodicNeighbours& neighbours,
                             OrderedFindings& out);
void report_overlapping_atoms(OrderedFindings& out, std::span<const Atom> atoms, std::size_t first,
                              std::size_t second, double distance);

// unit_scale.cpp: at most one finding, judged from the closest hydrogen contact.
void check_unit_scale(const AtomElements& elements, geometry::MoleculeNeighbours& neighbours, OrderedFindings& out);
void check_unit_scale(const AtomElements& elements, geometry::PeriodicNeighbours& neighbours, OrderedFindings& out);
void report_unit_scale_if_bohr(OrderedFindings& out, double closest_hydrogen_contact);

}  // namespace quorv
