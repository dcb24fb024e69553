// What the geometry rules say about periodic frames: an atom's own images
// are atoms like any other, a pair is measured at its shortest image and
// reported once, and a cell is any basis of its lattice.
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "lib/geometry/periodic_cell.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;
using geometry::CellProblem;
using geometry::PeriodicCell;
using geometry::Vector3;

namespace {

constexpr std::array<bool, 3> kAllPeriodic = {true, true, true};

std::variant<PeriodicCell, CellProblem> cell_of(const std::array<Vector3, 3>& vectors,
                                                const std::array<bool, 3>& periodic = kAllPeriodic) {
    return PeriodicCell::make(vectors, periodic);
}

std::array<Vector3, 3> cubic(double side) { return {{{side, 0, 0}, {0, side, 0}, {0, 0, side}}}; }

std::string periodic_lint(const ClusterSpec& spec, const std::array<Vector3, 3>& vectors,
                          const std::array<bool, 3>& periodic = kAllPeriodic) {
    const auto made = cell_of(vectors, periodic);
    if (!std::holds_alternative<PeriodicCell>(made)) return "<no cell>";
    FindingList list;
    lint(spec, std::optional<PeriodicCell>(std::get<PeriodicCell>(made)), list);
    return render(list.findings);
}

// Water with its hydrogens across the x and the y faces of a 10 Å box.
std::vector<Atom> wrapped_water() { return {atom("O", 0.2, 0.3, 5), atom("H", 9.48, 0.3, 5), atom("H", 0.44, 9.37, 5)}; }

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(periodic_frames_see_partners_across_the_faces) {
    const ClusterSpec water = declared(wrapped_water(), 0, 1);
    CHECK_EQ(lint_codes(water), std::string("bare-heteroatom unit-scale"));
    CHECK_EQ(periodic_lint(water, cubic(10)), std::string(""));
    // Periodic along z only, the faces it crosses do not join: the molecule's findings.
    CHECK_EQ(periodic_lint(water, cubic(10), {false, false, true}), lint_text(water));
    // Along y too, the hydrogen across y bonds, the one across x stays away.
    CHECK_EQ(periodic_lint(water, cubic(10), {false, true, true}), std::string(""));
}

TEST(an_atoms_own_images_are_neighbours) {
    // Copper's face-centred lattice in its one-atom cell: twelve images at 2.55 Å.
    const double half = 3.61 / 2;
    const std::array<Vector3, 3> primitive = {{{0, half, half}, {half, 0, half}, {half, half, 0}}};
    const ClusterSpec copper = declared({atom("Cu")}, 0, 2);
    CHECK_EQ(lint_codes(copper), std::string("metal-uncoordinated"));
    CHECK_EQ(periodic_lint(copper, primitive), std::string(""));
    // A chain of oxygens 1.5 Å apart along its one periodic axis has partners.
    CHECK_EQ(periodic_lint(declared({atom("O")}, -2, 1), {{{1.5, 0, 0}, {0, 0, 0}, {0, 0, 0}}}, {true, false, false}),
             std::string(""));
    // A lone oxygen's nearest partner is its own image, one box length away.
    CHECK_EQ(periodic_lint(declared({atom("O", 3, 3, 3)}, -2, 1), cubic(12)),
             std::string("error bare-heteroatom: atom 0 (O) has no bonding partner within 1.75 \u00c5 (nearest is "
                         "12.00 \u00c5). Likely a bare oxygen / missing hydrogens / a fragment cut through a bond.\n"));
}

TEST(a_pair_is_reported_once_at_its_shortest_image) {
    // 0.3 Å apart across the x face; 9.7 Å inside the box.
    const ClusterSpec pair = declared({atom("H", 0.1, 0, 0), atom("H", 9.8, 0.0, 0), atom("H", 5, 5, 5)}, 0, 1);
    CHECK_EQ(periodic_lint(pair, cubic(10)),
             std::string("error electron-parity: impossible state: 3 electrons with multiplicity 1. N and (M\u22121) "
                         "must share parity \u2014 (N+M) must be odd, here it is even. Most common cause: forgotten "
                         "ECP core subtraction or wrong formal charge.\n"
                         "error overlapping-atoms: atoms 0 (H) and 1 (H) are 0.300 \u00c5 apart \u2014 below any real "
                         "bond (H\u2013H is 0.74 \u00c5). Likely a duplicated atom or a coordinate error.\n"));
    // In a 0.6 Å cell the two are near several of each other's images: one finding, at the shortest.
    const std::string small = periodic_lint(declared({atom("H", 0, 0, 0), atom("H", 0.2, 0.2, 0.2)}, 0, 2), cubic(0.6));
    CHECK_EQ(occurrences(small, "overlapping-atoms"), std::size_t{1});
    CHECK_EQ(occurrences(small, "atoms 0 (H) and 1 (H) are 0.346 \u00c5 apart"), std::size_t{1});
}

TEST(any_basis_of_a_lattice_gives_the_same_findings) {
    const ClusterSpec water = declared(wrapped_water(), 0, 1);
    // The cubic lattice written with b and c skewed by whole multiples of a.
    const std::array<Vector3, 3> skewed = {{{10, 0, 0}, {30, 10, 0}, {-50, 0, 10}}};
    CHECK_EQ(periodic_lint(water, skewed), periodic_lint(water, cubic(10)));
    const auto cell = cell_of(skewed);
    CHECK(std::holds_alternative<PeriodicCell>(cell));
    CHECK_EQ(std::get<PeriodicCell>(cell).shortest_period(), 10.0);
    CHECK_EQ(std::get<PeriodicCell>(cell).height(0), 10.0);
}

TEST(cells_that_make_no_lattice_are_refused) {
    const auto problem = [](const std::array<Vector3, 3>& vectors, const std::array<bool, 3>& periodic) {
        const auto made = PeriodicCell::make(vectors, periodic);
        return std::holds_alternative<CellProblem>(made) ? static_cast<int>(std::get<CellProblem>(made)) : -1;
    };
    const int ok = -1;
    const int not_finite = static_cast<int>(CellProblem::NotFinite);
    const int dependent = static_cast<int>(CellProblem::NotIndependent);
    const int thin = static_cast<int>(CellProblem::TooThin);
    CHECK_EQ(problem(cubic(10), kAllPeriodic), ok);
    CHECK_EQ(problem({{{10, 0, 0}, {0, kNaN, 0}, {0, 0, 10}}}, kAllPeriodic), not_finite);
    // A non-periodic vector is not read at all.
    CHECK_EQ(problem({{{10, 0, 0}, {0, kNaN, 0}, {0, 0, 10}}}, {true, false, true}), ok);
    CHECK_EQ(problem({{{10, 0, 0}, {0, 0, 0}, {0, 0, 10}}}, kAllPeriodic), dependent);
    CHECK_EQ(problem({{{10, 0, 0}, {20, 0, 0}, {0, 0, 10}}}, {true, true, false}), dependent);
    CHECK_EQ(problem({{{1, 2, 3}, {2, 4, 6.000000000001}, {0, 0, 10}}}, kAllPeriodic), dependent);
    CHECK_EQ(problem(cubic(10), {false, false, false}), dependent);
    // Every atom would overlap its own image 0.4 Å away.
    CHECK_EQ(problem({{{10, 0, 0}, {0, 0.4, 0}, {0, 0, 10}}}, kAllPeriodic), thin);
    // The faces of the cell as given are 0.1 Å apart, but the lattice repeats no closer than 10 Å.
    CHECK_EQ(problem({{{10, 0, 0}, {1000, 10, 0}, {0, 0, 10}}}, {true, true, false}), ok);
    CHECK_EQ(problem({{{10, 0, 0}, {0, 0.5, 0}, {0, 0, 10}}}, kAllPeriodic), ok);
}
