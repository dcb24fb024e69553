#include "dataset/frame_cell.h"

#include <cstddef>

namespace quorv::dataset {

namespace {

constexpr const char* kNotFinite = "the cell: a periodic vector is not finite, or the cell is too large to measure";
constexpr const char* kNotIndependent =
    "the cell: its periodic vectors make no cell (one is zero, or they lie in a line or a plane)";
constexpr const char* kTooThin = "the cell repeats closer than 0.5 \u00c5, so every atom would overlap its own image";

std::string problem_text(geometry::CellProblem problem) {
    switch (problem) {
        case geometry::CellProblem::NotFinite: return kNotFinite;
        case geometry::CellProblem::NotIndependent: return kNotIndependent;
        case geometry::CellProblem::TooThin: break;
    }
    return kTooThin;
}

}  // namespace

CellOrProblem cell_in_angstrom(const std::array<geometry::Vector3, 3>& vectors, const std::array<bool, 3>& periodic,
                               double scale) {
    if (!periodic[0] && !periodic[1] && !periodic[2]) return std::optional<geometry::PeriodicCell>();
    std::array<geometry::Vector3, 3> in_angstrom{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (periodic[axis]) in_angstrom[axis] = geometry::scaled(vectors[axis], scale);
    }
    auto made = geometry::PeriodicCell::make(in_angstrom, periodic);
    if (auto* problem = std::get_if<geometry::CellProblem>(&made)) return problem_text(*problem);
    return std::optional(std::get<geometry::PeriodicCell>(std::move(made)));
}

CellOrProblem cell_in_angstrom(const geometry::PeriodicCell& cell, double scale) {
    if (scale == 1.0) return std::optional(cell);
    // The cell keeps its lattice as periodic_count() vectors, the first axes.
    std::array<geometry::Vector3, 3> vectors{};
    std::array<bool, 3> periodic{};
    for (std::size_t axis = 0; axis < cell.periodic_count(); ++axis) {
        vectors[axis] = cell.lattice_vector(axis);
        periodic[axis] = true;
    }
    return cell_in_angstrom(vectors, periodic, scale);
}

}  // namespace quorv::dataset
