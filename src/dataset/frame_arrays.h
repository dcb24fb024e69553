// Frames given as arrays, linted without rendering them as text: the atoms of
// frame f are atoms offsets[f] .. offsets[f+1]-1 of the per-atom arrays. Each
// frame gets exactly the findings that the XYZ path gives the same frame
// written as text with its charge and multiplicity on the comment line (and
// its cell as Lattice= and pbc=).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dataset/frame_results.h"
#include "lib/lint.h"

namespace quorv::dataset {

// A per-frame integer that a frame may lack: `known` empty means every frame
// has its value, `values` empty means none has.
struct OptionalColumn {
    std::span<const std::int64_t> values;
    std::span<const std::uint8_t> known;
};

struct FrameArrays {
    std::span<const std::int64_t> elements;  // per atom: an atomic number, or an index into the symbols
    std::span<const double> positions;       // x, y, z per atom
    std::span<const std::int64_t> offsets;   // frames + 1 entries, from 0 up to the atom count
    OptionalColumn charges;
    OptionalColumn multiplicities;
    // Per frame the cell vectors a, b, c (nine numbers, in the positions'
    // unit); empty when every frame is a molecule.
    std::span<const double> cells;
    // Per frame which of a, b, c repeat (three flags); empty when every axis
    // of a cell does. A frame that repeats along no axis is a molecule.
    std::span<const std::uint8_t> periodic;
    double scale = 1.0;  // what one unit of the positions is in ångström
};

// How the per-atom element numbers name elements: as atomic numbers, or as
// indices into a table of symbols (written as they would be in a file).
class ElementNames {
public:
    static ElementNames atomic_numbers() { return ElementNames(); }
    static ElementNames symbol_table(const std::vector<std::string>& symbols);

    // The element text the rules see, or why the atom cannot be read.
    struct Named {
        const std::string* symbol;  // null when the atom cannot be read
        std::string problem;
    };
    Named name(std::int64_t element) const;

private:
    ElementNames() = default;
    bool by_number_ = true;
    static const std::vector<std::string>& number_symbols();

    std::vector<std::string> symbols_;   // normalised as the XYZ reader does
    std::vector<std::string> problems_;  // empty where the symbol is usable
};

// Why the arrays do not describe frames (sizes that disagree, offsets that
// go backwards or past the atoms), or none.
std::optional<std::string> shape_problem(const FrameArrays& arrays);

// Lints every frame; the arrays must have passed shape_problem().
FrameResults lint_frame_arrays(const FrameArrays& arrays, const ElementNames& names, RuleSet rules);

}  // namespace quorv::dataset
