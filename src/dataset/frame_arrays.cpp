#include "dataset/frame_arrays.h"

#include <cstddef>
#include <limits>

#include "dataset/frame_cluster.h"
#include "dataset/periodic_table.h"
#include "dataset/shortest_contacts.h"
#include "lib/lint.h"
#include "text/utf8.h"
#include "text/white_space.h"
#include "xyz/element_symbol.h"

namespace quorv::dataset {

namespace {

constexpr double kNotMeasured = std::numeric_limits<double>::quiet_NaN();

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

class CollectingSink final : public FindingSink {
public:
    CollectingSink(std::vector<FrameFinding>& out, std::uint64_t& frame) : out_(out), frame_(frame) {}
    void accept(Finding&& finding) override { out_.push_back({frame_, std::move(finding)}); }

private:
    std::vector<FrameFinding>& out_;
    const std::uint64_t& frame_;
};

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
        if (element < 0 || element > kLastAtomicNumber) {
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
        std::vector<std::string> table;
        for (std::int64_t z = 0; z <= kLastAtomicNumber; ++z) table.emplace_back(*symbol_of(z));
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

FrameResults lint_frame_arrays(const FrameArrays& arrays, const ElementNames& names) {
    const std::size_t frames = arrays.offsets.size() - 1;
    FrameResults results;
    results.hydrogen_contacts.assign(frames, kNotMeasured);
    results.heavy_contacts.assign(frames, kNotMeasured);

    // One cluster reused for every frame, so that short symbols and the atom
    // list are allocated once.
    ClusterSpec spec;
    std::uint64_t frame = 0;
    CollectingSink sink(results.findings, frame);
    for (; frame < frames; ++frame) {
        const auto first = static_cast<std::size_t>(arrays.offsets[frame]);
        const auto last = static_cast<std::size_t>(arrays.offsets[frame + 1]);
        spec.atoms.resize(last - first);
        std::string problem;
        for (std::size_t atom = first; atom < last && problem.empty(); ++atom) {
            const ElementNames::Named named = names.name(arrays.elements[atom]);
            if (named.symbol == nullptr) {
                problem = "atom " + std::to_string(atom - first) + ": " + named.problem;
                break;
            }
            Atom& target = spec.atoms[atom - first];
            target.element.assign(*named.symbol);
            target.x = arrays.positions[3 * atom] * arrays.scale;
            target.y = arrays.positions[3 * atom + 1] * arrays.scale;
            target.z = arrays.positions[3 * atom + 2] * arrays.scale;
        }
        if (!problem.empty()) {
            results.failures.push_back({frame, std::move(problem)});
            continue;
        }
        spec.charge = value_at(arrays.charges, frame);
        spec.spin_multiplicity = multiplicity_as_read(value_at(arrays.multiplicities, frame));
        lint(spec, sink);
        const ShortestContacts contacts = shortest_contacts(spec.atoms);
        results.hydrogen_contacts[frame] = contacts.hydrogen;
        results.heavy_contacts[frame] = contacts.heavy;
    }
    return results;
}

}  // namespace quorv::dataset
