// The indexed geometry and the small-molecule search against the plain
// pairwise reference, over many generated clusters: the engine's whole
// output must match the engine run with the pairwise rules byte for byte,
// and every measurement the index or the search answers (nearest distances,
// neighbour counts, close pairs) must equal the reference's, bit for bit.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "check.h"
#include "lib/geometry/neighbour_grid.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/pairwise_reference.h"
#include "lib/geometry/small_molecule_neighbours.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;

namespace {

using Random = std::mt19937_64;

// Every distance the rules compare against, and a few more.
constexpr double kThresholds[] = {0.5, 1.5, 1.75, 1.95, 2.0, 2.7};
constexpr double kProbeRadii[] = {0.5, 1.0, 1.5, 1.75, 1.95, 2.0, 2.7, 4.0};

// Symbols the rules treat differently (heteroatoms with either cutoff,
// metals, hydrogen) and some they do not know or ignore.
const char* const kElements[] = {"H", "H", "H", "O", "C", "N", "P", "S", "Fe", "Zn", "Cu", "Pt", "Cl", "Si", "He", "Xx"};

double uniform(Random& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}
std::size_t below(Random& random, std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}
bool chance(Random& random, double probability) { return std::bernoulli_distribution(probability)(random); }

std::string element(Random& random) { return kElements[below(random, std::size(kElements))]; }

Atom random_atom(Random& random, double side) {
    return atom(element(random), uniform(random, 0, side), uniform(random, 0, side), uniform(random, 0, side));
}

// Random atoms in a cube; `density` in atoms per cubic ångström.
std::vector<Atom> box(Random& random, std::size_t count, double density) {
    const double side = std::cbrt(static_cast<double>(std::max<std::size_t>(count, 1)) / density);
    std::vector<Atom> atoms;
    for (std::size_t i = 0; i < count; ++i) atoms.push_back(random_atom(random, side));
    return atoms;
}

// Water-like molecules with the odd metal, optionally scaled to bohr.
std::vector<Atom> molecules(Random& random, std::size_t count, double scale) {
    std::vector<Atom> atoms;
    const double side = std::cbrt(static_cast<double>(count) * 30.0);
    while (atoms.size() < count) {
        const double x = uniform(random, 0, side), y = uniform(random, 0, side), z = uniform(random, 0, side);
        if (chance(random, 0.05)) {
            atoms.push_back(atom(chance(random, 0.5) ? "Fe" : "Zn", x * scale, y * scale, z * scale));
            continue;
        }
        atoms.push_back(atom(chance(random, 0.8) ? "O" : "N", x * scale, y * scale, z * scale));
        atoms.push_back(atom("H", (x + 0.96) * scale, y * scale, z * scale));
        atoms.push_back(atom("H", (x - 0.24) * scale, (y + 0.93) * scale, z * scale));
    }
    atoms.resize(count);
    return atoms;
}

// Pairs at exactly each threshold, and one step either side of it, along an
// axis (where the distance is exactly the difference), placed on and across
// column boundaries.
std::vector<Atom> thresholds(Random& random, std::size_t count) {
    std::vector<Atom> atoms;
    while (atoms.size() < count) {
        const double threshold = kThresholds[below(random, std::size(kThresholds))];
        const double step = chance(random, 0.5) ? threshold
                            : chance(random, 0.5) ? just_above(threshold)
                                                  : just_below(threshold);
        // Whole and half multiples of the column width put atoms on boundaries.
        const double x = chance(random, 0.5) ? 2.0 * static_cast<double>(below(random, 8)) : uniform(random, 0, 16);
        const double y = chance(random, 0.5) ? static_cast<double>(below(random, 16)) : uniform(random, 0, 16);
        const double z = uniform(random, 0, 16);
        atoms.push_back(atom(element(random), x, y, z));
        switch (below(random, 3)) {
            case 0: atoms.push_back(atom(element(random), x + step, y, z)); break;
            case 1: atoms.push_back(atom(element(random), x, y + step, z)); break;
            default: atoms.push_back(atom(element(random), x, y, z + step)); break;
        }
    }
    atoms.resize(count);
    return atoms;
}

double special_value(Random& random) {
    constexpr double kSpecial[] = {kNaN, kInf, -kInf, 1e300, -1e300, 1.7e308, -1.7e308, 1e154, 3e7, -2e6, 1e-310};
    return kSpecial[below(random, std::size(kSpecial))];
}

// Replaces coordinates of some atoms with NaN, infinities or huge values.
void spoil(Random& random, std::vector<Atom>& atoms, double share) {
    for (Atom& a : atoms) {
        if (!chance(random, share)) continue;
        double* coordinates[] = {&a.x, &a.y, &a.z};
        for (double* coordinate : coordinates) {
            if (chance(random, 0.5)) *coordinate = special_value(random);
        }
    }
}

// Copies some atoms exactly (same place, maybe another element).
void duplicate(Random& random, std::vector<Atom>& atoms, double share) {
    const std::size_t count = atoms.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!chance(random, share)) continue;
        Atom copy = atoms[below(random, count)];
        if (chance(random, 0.5)) copy.element = element(random);
        atoms.insert(atoms.begin() + static_cast<std::ptrdiff_t>(below(random, atoms.size() + 1)), copy);
    }
}

void shift(std::vector<Atom>& atoms, double dx, double dy, double dz) {
    for (Atom& a : atoms) {
        a.x += dx;
        a.y += dy;
        a.z += dz;
    }
}

ClusterSpec with_atoms(Random& random, std::vector<Atom> atoms) {
    ClusterSpec spec;
    spec.atoms = std::move(atoms);
    // Sometimes a complete declaration, so that the electron rules speak too
    // and the severity sort interleaves their findings with the geometry's.
    if (chance(random, 0.5)) {
        spec.charge = static_cast<std::int64_t>(below(random, 5)) - 2;
        spec.spin_multiplicity = static_cast<std::uint32_t>(below(random, 4));
        if (chance(random, 0.3)) spec.metal_oxidation_state = 2;
    }
    return spec;
}

std::string bits(double value) {
    std::ostringstream text;
    text << value << " (0x" << std::hex << std::bit_cast<std::uint64_t>(value) << ")";
    return text.str();
}

std::string pair_text(const std::vector<geometry::AtomPair>& pairs) {
    std::string text;
    for (const auto& pair : pairs) {
        text += std::to_string(pair.first) + "-" + std::to_string(pair.second) + ":" + bits(pair.distance) + "\n";
    }
    return text;
}

bool same_pairs(const std::vector<geometry::AtomPair>& a, const std::vector<geometry::AtomPair>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.first == y.first && x.second == y.second &&
               std::bit_cast<std::uint64_t>(x.distance) == std::bit_cast<std::uint64_t>(y.distance);
    });
}

// The first line where two texts differ, with some context for a failure report.
std::string first_difference(const std::string& actual, const std::string& expected) {
    std::istringstream a(actual), e(expected);
    std::string line_a, line_e;
    for (int line = 1;; ++line) {
        const bool more_a = static_cast<bool>(std::getline(a, line_a));
        const bool more_e = static_cast<bool>(std::getline(e, line_e));
        if (!more_a && !more_e) return "";
        if (!more_a || !more_e || line_a != line_e) {
            return "line " + std::to_string(line) + "\n      actual:   " + (more_a ? line_a : "<end>") +
                   "\n      expected: " + (more_e ? line_e : "<end>");
        }
    }
}

struct Tally {
    std::size_t clusters = 0;
    std::size_t atoms = 0;
    std::size_t findings = 0;
    std::size_t dense_grids = 0;  // clusters the dense table took, at some width
};

template <typename Neighbours>
std::vector<geometry::AtomPair> reported_pairs(const Neighbours& neighbours, double limit) {
    std::vector<geometry::AtomPair> pairs;
    neighbours.report_pairs_closer_than(limit, [&](const geometry::AtomPair& pair) { pairs.push_back(pair); });
    return pairs;
}

std::string shape_name(geometry::GridShape shape) { return shape == geometry::GridShape::Dense ? "dense" : "sparse"; }

// Every question the geometry rules ask, of `neighbours` and of the
// reference: close pairs, nearest distances (bounded or not) and neighbour
// counts (capped or not), bit for bit.
template <typename Neighbours>
void compare_answers(const Neighbours& neighbours, std::span<const Atom> atoms, const std::string& label,
                     Random& random) {
    for (const double limit : {0.5, 2.7, 4.0}) {
        const auto expected_pairs = geometry::pairwise::pairs_closer_than(atoms, limit);
        const auto pairs = reported_pairs(neighbours, limit);
        if (!same_pairs(pairs, expected_pairs)) {
            fail(__FILE__, __LINE__,
                 label + ": pairs closer than " + bits(limit) + " differ at " +
                     first_difference(pair_text(pairs), pair_text(expected_pairs)));
        }
    }
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const double nearest = geometry::pairwise::nearest_distance(atoms, i);
        if (std::bit_cast<std::uint64_t>(neighbours.nearest_distance(i)) != std::bit_cast<std::uint64_t>(nearest)) {
            fail(__FILE__, __LINE__,
                 label + ": nearest distance of atom " + std::to_string(i) + ": " +
                     bits(neighbours.nearest_distance(i)) + " instead of " + bits(nearest));
        }
        // Bounds on either side of the answer, at it, and none.
        const double bound = chance(random, 0.5) ? nearest * uniform(random, 0.5, 2.0)
                             : chance(random, 0.5) ? nearest
                                                   : uniform(random, 0, 10);
        const double bounded = neighbours.nearest_distance_below(i, bound);
        if (std::bit_cast<std::uint64_t>(std::min(bounded, bound)) !=
            std::bit_cast<std::uint64_t>(std::min(nearest, bound))) {
            fail(__FILE__, __LINE__,
                 label + ": nearest distance of atom " + std::to_string(i) + " below " + bits(bound) + ": " +
                     bits(bounded) + " against " + bits(nearest));
        }
        const double radius = chance(random, 0.5) ? kProbeRadii[below(random, std::size(kProbeRadii))]
                                                  : uniform(random, 0, 5);
        const std::size_t expected_count = geometry::pairwise::count_neighbours_within(atoms, i, radius);
        const std::size_t count = neighbours.count_neighbours_within(i, radius, atoms.size());
        const std::size_t capped = neighbours.count_neighbours_within(i, radius, 2);
        if (count != expected_count || capped != std::min<std::size_t>(expected_count, 2) ||
            neighbours.has_neighbour_within(i, radius) != (expected_count > 0)) {
            fail(__FILE__, __LINE__,
                 label + ": neighbours of atom " + std::to_string(i) + " within " + bits(radius) + ": " +
                     std::to_string(count) + " (capped " + std::to_string(capped) + ") instead of " +
                     std::to_string(expected_count));
        }
    }
}

// Compares everything for one cluster; `label` names it in a failure.
void compare(const ClusterSpec& spec, const std::string& label, Tally& tally, Random& random) {
    ++tally.clusters;
    tally.atoms += spec.atoms.size();
    const std::string actual = render(lint(spec));
    const std::string expected = render(geometry::pairwise::lint(spec));
    tally.findings += static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n'));
    const std::string lint_difference = first_difference(actual, expected);
    if (!lint_difference.empty()) fail(__FILE__, __LINE__, label + ": lint differs at " + lint_difference);

    const std::span<const Atom> atoms(spec.atoms);
    if (atoms.size() <= geometry::SmallMoleculeNeighbours::kMostAtoms) {
        compare_answers(geometry::SmallMoleculeNeighbours(atoms), atoms, label + " (small molecule)", random);
    }
    // The column width the rules use, and one that makes every radius span
    // several rings; the shape that fits, and the sparse one, which always does.
    bool dense = false;
    for (const auto& [width, allowed] : {std::pair{2.0, geometry::GridShape::Dense}, {1.0, geometry::GridShape::Dense},
                                         {2.0, geometry::GridShape::Sparse}, {1.0, geometry::GridShape::Sparse}}) {
        const geometry::NeighbourGrid grid(atoms, width, allowed);
        dense = dense || grid.shape() == geometry::GridShape::Dense;
        const std::string grid_label = label + " (" + shape_name(grid.shape()) + " grid)";
        compare_answers(grid, atoms, grid_label, random);
        for (const double limit : {0.5, 2.7}) {
            const auto expected_pairs = geometry::pairwise::pairs_closer_than(atoms, limit);
            const auto pairs = grid.pairs_closer_than(limit);
            if (!same_pairs(pairs, expected_pairs)) {
                fail(__FILE__, __LINE__,
                     grid_label + ": collected pairs closer than " + bits(limit) + " differ at " +
                         first_difference(pair_text(pairs), pair_text(expected_pairs)));
            }
        }
    }
    if (dense) ++tally.dense_grids;
}

using Generator = std::function<std::vector<Atom>(Random&, std::size_t)>;

// Runs `clusters` generated clusters of up to `most_atoms` atoms each.
Tally run(const std::string& kind, const Generator& generate, std::size_t clusters, std::size_t most_atoms,
          std::uint64_t seed) {
    Tally tally;
    Random random(seed);
    for (std::size_t round = 0; round < clusters; ++round) {
        const std::size_t count = below(random, most_atoms + 1);
        const ClusterSpec spec = with_atoms(random, generate(random, count));
        compare(spec, kind + " cluster " + std::to_string(round) + " (seed " + std::to_string(seed) + ")", tally,
                random);
    }
    // Guards against a generator that quietly produces nothing to compare.
    CHECK(2 * tally.atoms > clusters);
    return tally;
}

}  // namespace

TEST(differential_tiny_clusters) {
    // Zero, one and two atoms, every kind of coordinate.
    const Tally tally = run(
        "tiny",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = box(random, count, 0.5);
            spoil(random, atoms, 0.3);
            return atoms;
        },
        600, 2, 1);
    CHECK(tally.findings > 0);
}

TEST(differential_dense_and_sparse_boxes) {
    // From boxes the dense table takes to boxes too empty for it.
    std::size_t clusters = 0, dense = 0;
    for (const double density : {3.0, 0.5, 0.1, 0.01, 0.0005}) {
        const Tally tally =
            run("box", [density](Random& random, std::size_t count) { return box(random, count, density); }, 120,
                100, static_cast<std::uint64_t>(density * 1e4) + 2);
        clusters += tally.clusters;
        dense += tally.dense_grids;
    }
    CHECK(dense > clusters / 2);
    CHECK(dense < clusters);
}

TEST(differential_molecules_in_angstrom_and_bohr) {
    for (const double scale : {1.0, 1.8897259886}) {
        run("molecules", [scale](Random& random, std::size_t count) { return molecules(random, count, scale); }, 200,
            150, scale == 1.0 ? 3 : 4);
    }
}

TEST(differential_distances_at_thresholds) {
    run("thresholds", thresholds, 400, 60, 5);
}

TEST(differential_duplicated_atoms) {
    run(
        "duplicates",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = box(random, count, 0.1);
            duplicate(random, atoms, 0.3);
            return atoms;
        },
        250, 80, 6);
}

TEST(differential_non_finite_and_huge_coordinates) {
    run(
        "spoiled",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = chance(random, 0.5) ? molecules(random, count, 1.0) : box(random, count, 0.2);
            spoil(random, atoms, chance(random, 0.5) ? 0.1 : 0.6);
            duplicate(random, atoms, 0.05);
            return atoms;
        },
        300, 80, 7);
}

TEST(differential_far_from_the_origin_and_spread_out) {
    run(
        "shifted",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = molecules(random, count, chance(random, 0.5) ? 1.0 : 1.8897259886);
            // A whole cluster far out, so the grid must follow it; a few
            // atoms strewn far apart, so columns must widen or atoms go far.
            if (chance(random, 0.5)) shift(atoms, 1e7, -3e6, 2.5e8);
            for (Atom& a : atoms) {
                if (!chance(random, 0.05)) continue;
                const double spread = chance(random, 0.5) ? 1e4 : 5e6;
                a.x += uniform(random, -spread, spread);
                a.y += uniform(random, -spread, spread);
            }
            return atoms;
        },
        200, 100, 8);
}

TEST(differential_lines_and_planes) {
    // Degenerate shapes: everything in one column, or one row of columns.
    run(
        "line",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms;
            const int axis = static_cast<int>(below(random, 3));
            for (std::size_t i = 0; i < count; ++i) {
                const double along = uniform(random, 0, static_cast<double>(count));
                const double across = chance(random, 0.3) ? uniform(random, 0, 1) : 0.0;
                atoms.push_back(axis == 0   ? atom(element(random), along, across, 0)
                                : axis == 1 ? atom(element(random), across, along, across)
                                            : atom(element(random), 0, across, along));
            }
            return atoms;
        },
        200, 100, 9);
}

TEST(differential_flat_to_within_rounding) {
    // z spans a few subnormal steps at most: the bins of z must not divide by zero.
    run(
        "flat",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = box(random, count, 0.3);
            constexpr double kTiny[] = {0.0, 5e-324, 1e-322, -5e-324};
            // Two values one subnormal step apart, or a few steps.
            const std::size_t values = chance(random, 0.5) ? 2 : std::size(kTiny);
            for (Atom& a : atoms) a.z = kTiny[below(random, values)];
            return atoms;
        },
        100, 80, 11);
}

TEST(differential_far_fragments) {
    // Two pieces of one cluster 3e9 Å apart, as a unit mix-up makes them:
    // each piece must be searched on its own, not against the other.
    run(
        "far fragments",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = molecules(random, count, 1.0);
            const double apart = chance(random, 0.5) ? 3e9 : -3e9;
            for (std::size_t i = count / 2; i < count; ++i) (chance(random, 0.7) ? atoms[i].x : atoms[i].z) += apart;
            return atoms;
        },
        150, 150, 12);
}

TEST(differential_stripped_hydrogens) {
    // Every heteroatom bare, its nearest partner a few ångström away or, in
    // a sparse box, much farther.
    run(
        "stripped",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms;
            const double scale = chance(random, 0.7) ? 1.0 : uniform(random, 5, 1e4);
            for (const Atom& a : molecules(random, 3 * count, scale)) {
                if (a.element != "H") atoms.push_back(a);
            }
            atoms.resize(std::min(atoms.size(), count));
            return atoms;
        },
        150, 150, 13);
}

TEST(differential_coincident_atoms) {
    // n atoms at one place: n(n-1)/2 overlaps, every nearest distance zero.
    run(
        "coincident",
        [](Random& random, std::size_t count) {
            const double where = chance(random, 0.5) ? 0.0 : special_value(random);
            std::vector<Atom> atoms(count, atom(element(random), where, -where, where));
            if (chance(random, 0.5)) {
                for (Atom& a : atoms) a.element = element(random);
            }
            return atoms;
        },
        60, 60, 14);
}

TEST(differential_dense_clouds) {
    // So dense that most atoms overlap many others.
    run("cloud", [](Random& random, std::size_t count) { return box(random, count, 38.0); }, 80, 120, 15);
}

TEST(differential_neighbouring_huge_doubles) {
    // Where coordinates are 2^52 column widths out or more, neighbouring
    // doubles are a width apart or more and each value gets a cell of its
    // own; 1e300 is far beyond, where only equal coordinates are close.
    run(
        "huge",
        [](Random& random, std::size_t count) {
            constexpr double kStarts[] = {0x1p52, 0x1p53, 0x1p51 * 3, 1e300};
            std::vector<Atom> atoms;
            for (std::size_t i = 0; i < count; ++i) {
                const auto near = [&] {
                    double value = kStarts[below(random, std::size(kStarts))];
                    for (std::size_t step = below(random, 6); step > 0; --step) value = just_below(value);
                    for (std::size_t step = below(random, 6); step > 0; --step) value = just_above(value);
                    return chance(random, 0.5) ? value : -value;
                };
                atoms.push_back(atom(element(random), near(), chance(random, 0.5) ? near() : 0.5, uniform(random, 0, 3)));
            }
            return atoms;
        },
        150, 60, 16);
}

TEST(differential_larger_clusters) {
    run(
        "large",
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = molecules(random, count, 1.0);
            duplicate(random, atoms, 0.002);
            spoil(random, atoms, 0.002);
            return atoms;
        },
        6, 2500, 10);
}

TEST(differential_small_molecules_around_each_crossover) {
    // Sizes at and next to where the search changes its way: none or one
    // atom, every pair in turn or sorted along x, the search or the index.
    constexpr std::size_t kSmall = geometry::SmallMoleculeNeighbours::kMostAtomsInListOrder;
    constexpr std::size_t kMost = geometry::SmallMoleculeNeighbours::kMostAtoms;
    const std::size_t sizes[] = {0, 1, 2, 3, kSmall - 1, kSmall, kSmall + 1, kSmall + 2, kMost - 1, kMost, kMost + 1};
    const Generator kinds[] = {
        [](Random& random, std::size_t count) { return box(random, count, chance(random, 0.5) ? 0.1 : 3.0); },
        [](Random& random, std::size_t count) { return molecules(random, count, chance(random, 0.5) ? 1.0 : 1.89); },
        thresholds,
        [](Random& random, std::size_t count) {
            std::vector<Atom> atoms = molecules(random, count, 1.0);
            spoil(random, atoms, 0.2);
            duplicate(random, atoms, 0.1);
            atoms.resize(count);
            return atoms;
        },
    };
    Tally tally;
    Random random(17);
    for (std::size_t round = 0; round < 120; ++round) {
        for (const std::size_t count : sizes) {
            const Generator& generate = kinds[below(random, std::size(kinds))];
            compare(with_atoms(random, generate(random, count)),
                    "crossover cluster of " + std::to_string(count) + " (round " + std::to_string(round) + ")", tally,
                    random);
        }
    }
    CHECK(tally.findings > 0);
}

TEST(differential_differences_whose_squares_underflow_or_overflow) {
    // Near zero a difference squares to a subnormal or to zero, and far out
    // to +inf: only a bound compared as the squares are rounded rules pairs
    // out exactly there. Nearest distances are searched with bounds as tiny.
    run(
        "extreme scales",
        [](Random& random, std::size_t count) {
            constexpr double kScales[] = {1e-160, 1e-200, 1e-310, 5e-324, 1e153, 1e154, 1.3e154, 1e200};
            const double scale = kScales[below(random, std::size(kScales))];
            std::vector<Atom> atoms;
            for (std::size_t i = 0; i < count; ++i) {
                const auto at = [&] { return scale * static_cast<double>(below(random, 7)) - 3 * scale; };
                atoms.push_back(atom(element(random), at(), at(), chance(random, 0.5) ? at() : 0.0));
            }
            return atoms;
        },
        300, 60, 18);
}

TEST(largest_square_within_is_the_last_square_whose_root_is_within) {
    const auto step_up = [](double value) { return std::nextafter(value, kInf); };
    Random random(19);
    std::vector<double> limits = {0.0, 5e-324, 1e-320, 2.2250738585072014e-308, 1e-160, 1.5e-154, 0.5, 1.5,
                                  1.75, 1.95, 2.7, 4.0, 1e154, 1.3407807929942596e154, 1.35e154, 1e300,
                                  std::numeric_limits<double>::max()};
    for (int i = 0; i < 20000; ++i) {
        // Every binade, each at random places within it.
        limits.push_back(std::ldexp(uniform(random, 1.0, 2.0), static_cast<int>(below(random, 2098)) - 1074));
    }
    for (const double limit : limits) {
        const double square = geometry::largest_square_within(limit);
        const double next = step_up(square);
        if (!(std::sqrt(square) <= limit) || !(next == kInf || std::sqrt(next) > limit)) {
            fail(__FILE__, __LINE__, "largest square within " + bits(limit) + ": " + bits(square));
        }
    }
    CHECK_EQ(geometry::largest_square_within(kInf), kInf);
    CHECK(geometry::largest_square_within(-1.0) < 0);
    CHECK(geometry::largest_square_within(kNaN) < 0);
}
