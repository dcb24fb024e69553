#include "dataset/frame_arrays.h"

#include <cstddef>

#include "dataset/frame_cell.h"
#include "dataset/frame_cluster.h"
#include "dataset/frame_lint.h"
#include "lib/periodic_table.h"
#include "text/utf8.h"
#include "text/white_space.h"
#include "xyz/element_symbol.h"

namespace quorv::dataset {

namespace {

// ASE's symbol for atomic number 0, the placeholder of a ghost or dummy site.
constexpr const char* kPlaceholderSymbol = "X";

// A symbol can stand for an atom only if it would be one word of an atom line.
std::string symbol_problem(const std::string& symbol) {
    if (symbol.empty()) return "the element symbol is empty";
    if (!is_valid_utf8(symbol)) return "the element symbol is not UTF-8";
    for (std::size_t pos = 0; pos < symbol.size(); pos += char_length_at(symbol, pos)) {
        if (white_space_at(symbol, pos) != 0) return "the element symbol holds white space";
    }
    return {};
}

std::optional<std::int64_t> value_at(const OptionalColumn& column, std::size_t frame) {
    if (column.values.empty() || (!column.known.empty() && column.known[frame] == 0)) return std::nullopt;
    return column.values[frame];
}

// Puts the frame's atoms into `atoms`, or says why one cannot be read.
std::optional<std::string> read_atoms(const FrameArrays& arrays, const ElementNames& names, std::size_t frame,
                                      std::vector<Atom>& atoms) {
    const auto first = static_cast<std::size_t>(arrays.offsets[frame]);
    const auto last = static_cast<std::size_t>(arrays.offsets[frame + 1]);
    atoms.resize(last - first);
    for (std::size_t atom = first; atom < last; ++atom) {
        const ElementNames::Named named = names.name(arrays.elements[atom]);
        if (named.symbol == nullptr) return "atom " + std::to_string(atom - first) + ": " + named.problem;
        Atom& target = atoms[atom - first];
        target.element.assign(*named.symbol);
        target.x = arrays.positions[3 * atom] * arrays.scale;
        target.y = arrays.positions[3 * atom + 1] * arrays.scale;
        target.z = arrays.positions[3 * atom + 2] * arrays.scale;
    }
    return std::nullopt;
}

CellOrProblem frame_cell(const FrameArrays& arrays, std::size_t frame) {
    if (arrays.cells.empty()) return std::optional<geometry::PeriodicCell>();
    std::array<geometry::Vector3, 3> vectors{};
    std::array<bool, 3> periodic{true, true, true};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        for (std::size_t k = 0; k < 3; ++k) vectors[axis][k] = arrays.cells[9 * frame + 3 * axis + k];
        if (!arrays.periodic.empty()) periodic[axis] = arrays.periodic[3 * frame + axis] != 0;
    }
    return cell_in_angstrom(vectors, periodic, arrays.scale);
}

}  // namespace

ElementNames ElementNames::symbol_table(const std::vector<std::string>& symbols) {
    ElementNames names;
    names.by_number_ = false;
    for (const std::string& symbol : symbols) {
        names.problems_.push_back(symbol_problem(symbol));
        names.symbols_.emplace_back();
        xyz::normalise_element(symbol, names.symbols_.back());
    }
    return names;
}

ElementNames::Named ElementNames::name(std::int64_t element) const {
    if (by_number_) {
        if (element < 0 || element > kElementCount) {
            return {nullptr, "atomic number " + std::to_string(element) + " is not an element"};
        }
        return {&number_symbols()[static_cast<std::size_t>(element)], {}};
    }
    if (element < 0 || static_cast<std::uint64_t>(element) >= symbols_.size()) {
        return {nullptr, "symbol index " + std::to_string(element) + " is outside the table of " +
                             std::to_string(symbols_.size()) + " symbols"};
    }
    const auto index = static_cast<std::size_t>(element);
    if (!problems_[index].empty()) return {nullptr, problems_[index]};
    return {&symbols_[index], {}};
}

const std::vector<std::string>& ElementNames::number_symbols() {
    static const std::vector<std::string> symbols = [] {
        std::vector<std::string> table{kPlaceholderSymbol};
        for (int z = 1; z <= kElementCount; ++z) table.emplace_back(element_record(z).symbol);
        return table;
    }();
    return symbols;
}

std::optional<std::string> shape_problem(const FrameArrays& arrays) {
    const std::size_t atoms = arrays.elements.size();
    if (arrays.positions.size() != 3 * atoms) {
        return "positions hold " + std::to_string(arrays.positions.size()) + " numbers, not 3 for each of " +
               std::to_string(atoms) + " atoms";
    }
    if (arrays.offsets.empty() || arrays.offsets.front() != 0) return "offsets must start with 0";
    for (std::size_t f = 1; f < arrays.offsets.size(); ++f) {
        if (arrays.offsets[f] < arrays.offsets[f - 1]) {
            return "offsets must not decrease (entry " + std::to_string(f) + ")";
        }
    }
    if (static_cast<std::uint64_t>(arrays.offsets.back()) != atoms) {
        return "the last offset must be the atom count " + std::to_string(atoms);
    }
    const std::size_t frames = arrays.offsets.size() - 1;
    if (!arrays.cells.empty() && arrays.cells.size() != 9 * frames) {
        return "cells hold " + std::to_string(arrays.cells.size()) + " numbers, not 9 for each of " +
               std::to_string(frames) + " frames";
    }
    if (!arrays.periodic.empty() && (arrays.cells.empty() || arrays.periodic.size() != 3 * frames)) {
        return "periodic flags need cells, and 3 flags for each frame";
    }
    for (const OptionalColumn* column : {&arrays.charges, &arrays.multiplicities}) {
        if (!column->values.empty() && column->values.size() != frames) {
            return "a per-frame column holds " + std::to_string(column->values.size()) + " values for " +
                   std::to_string(frames) + " frames";
        }
        if (!column->known.empty() && column->known.size() != column->values.size()) {
            return "a per-frame mask must be as long as its values";
        }
    }
    return std::nullopt;
}

FrameResults lint_frame_arrays(const FrameArrays& arrays, const ElementNames& names, RuleSet rules) {
    const std::size_t frames = arrays.offsets.size() - 1;
    FrameResults results;
    results.hydrogen_contacts.reserve(frames);
    results.heavy_contacts.reserve(frames);
    // One cluster reused for every frame, so that short symbols and the atom
    // list are allocated once.
    ClusterSpec spec;
    FrameFindingSink sink(results);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        if (auto problem = read_atoms(arrays, names, frame, spec.atoms)) {
            results.add_failed(std::move(*problem));
            continue;
        }
        CellOrProblem cell = frame_cell(arrays, frame);
        if (auto* problem = std::get_if<std::string>(&cell)) {
            results.add_failed(std::move(*problem));
            continue;
        }
        spec.charge = value_at(arrays.charges, frame);
        spec.spin_multiplicity = multiplicity_as_read(value_at(arrays.multiplicities, frame));
        lint_frame_into(spec, std::get<std::optional<geometry::PeriodicCell>>(cell), rules, sink, results);
    }
    return results;
}

}  // namespace quorv::dataset
