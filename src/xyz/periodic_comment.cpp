#include "xyz/periodic_comment.h"

#include <array>

#include "text/format.h"
#include "xyz/coordinate_number.h"
#include "xyz/quoted_text.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kBadLattice = "comment line: Lattice must be nine numbers, got {}";
constexpr std::string_view kBadPbc = "comment line: pbc must be three of T or F, got {}";
constexpr std::string_view kUnclosed = "comment line: the value of {} has no closing quote";
constexpr std::string_view kNotFinite = "comment line: a periodic Lattice vector is not finite or too long to measure";
constexpr std::string_view kNotIndependent =
    "comment line: the periodic Lattice vectors make no cell (one is zero, or they lie in a line or a plane)";
constexpr std::string_view kTooThin =
    "comment line: the Lattice repeats closer than 0.5 \u00c5, so every atom would overlap its own image";

constexpr std::size_t kLatticeNumbers = 9;
constexpr std::size_t kAxes = 3;

// The parts of a value between blanks and commas, when there are at most
// N of them: a value with more is neither a pbc nor a Lattice.
template <std::size_t N>
struct Parts {
    std::array<std::string_view, N> parts{};
    std::size_t count = 0;
};

template <std::size_t N>
std::optional<Parts<N>> parts_of(std::string_view value) {
    Parts<N> found;
    std::size_t pos = 0;
    while (pos < value.size()) {
        const std::size_t end = value.find_first_of(" \t\n\r,", pos);
        const std::size_t stop = end == std::string_view::npos ? value.size() : end;
        if (stop > pos) {
            if (found.count == N) return std::nullopt;
            found.parts[found.count++] = value.substr(pos, stop - pos);
        }
        pos = stop + 1;
    }
    return found;
}

std::optional<bool> flag_of(std::string_view part) {
    if (part == "T" || part == "True" || part == "true" || part == "TRUE") return true;
    if (part == "F" || part == "False" || part == "false" || part == "FALSE") return false;
    return std::nullopt;
}

std::optional<std::array<bool, kAxes>> read_pbc(std::string_view value) {
    const auto parts = parts_of<kAxes>(value);
    if (!parts || (parts->count != 1 && parts->count != kAxes)) return std::nullopt;
    std::array<bool, kAxes> periodic{};
    for (std::size_t axis = 0; axis < kAxes; ++axis) {
        const auto flag = flag_of(parts->parts[parts->count == 1 ? 0 : axis]);
        if (!flag) return std::nullopt;
        periodic[axis] = *flag;
    }
    return periodic;
}

std::optional<std::array<geometry::Vector3, kAxes>> read_lattice(std::string_view value) {
    const auto parts = parts_of<kLatticeNumbers>(value);
    if (!parts || parts->count != kLatticeNumbers) return std::nullopt;
    std::array<geometry::Vector3, kAxes> vectors{};
    for (std::size_t i = 0; i < kLatticeNumbers; ++i) {
        if (!read_coordinate(parts->parts[i], vectors[i / kAxes][i % kAxes])) return std::nullopt;
    }
    return vectors;
}

}  // namespace

std::variant<std::optional<geometry::PeriodicCell>, std::string> read_periodic_cell(const ExtendedKeys& keys) {
    if (keys.unclosed && (*keys.unclosed == "Lattice" || *keys.unclosed == "pbc")) {
        return fill(kUnclosed, {*keys.unclosed});
    }
    std::array<bool, kAxes> periodic = {true, true, true};
    if (keys.pbc) {
        const auto read = read_pbc(*keys.pbc);
        if (!read) return fill(kBadPbc, {quoted(*keys.pbc)});
        periodic = *read;
    }
    if (!keys.lattice) return std::nullopt;
    const auto vectors = read_lattice(*keys.lattice);
    if (!vectors) return fill(kBadLattice, {quoted(*keys.lattice)});
    if (!periodic[0] && !periodic[1] && !periodic[2]) return std::nullopt;

    auto made = geometry::PeriodicCell::make(*vectors, periodic);
    if (auto* cell = std::get_if<geometry::PeriodicCell>(&made)) return std::optional(std::move(*cell));
    switch (std::get<geometry::CellProblem>(made)) {
        case geometry::CellProblem::NotFinite: return std::string(kNotFinite);
        case geometry::CellProblem::NotIndependent: return std::string(kNotIndependent);
        case geometry::CellProblem::TooThin: break;
    }
    return std::string(kTooThin);
}

}  // namespace quorv::xyz
