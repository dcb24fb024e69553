// The periodic geometry against a brute-force image search, over generated
// cells: orthorhombic and strongly skewed triclinic, tiny (shorter than the
// rules' cut-offs) and large, periodic along one, two or three axes, with
// atoms on faces and corners, molecules wrapped across the faces, duplicates
// and non-finite coordinates. The brute force measures every atom against
// every translation of every atom within a wide window, from the same
// positions moved into the cell, and words its findings with the rules' own
// report functions: the engine's output must match it byte for byte.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "lib/elements.h"
#include "lib/geometry/distance.h"
#include "lib/geometry/periodic_cell.h"
#include "lib/geometry/periodic_images.h"
#include "lib/geometry/thresholds.h"
#include "lib/rules/rules.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;
using geometry::PeriodicCell;
using geometry::Translation;
using geometry::Vector3;

namespace {

using Random = std::mt19937_64;

const char* const kElements[] = {"H", "H", "H", "O", "C", "N", "P", "S", "Fe", "Cu", "Zn", "Cl", "Xx"};

double uniform(Random& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}
std::size_t below(Random& random, std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}
bool chance(Random& random, double probability) { return std::bernoulli_distribution(probability)(random); }
std::string element(Random& random) { return kElements[below(random, std::size(kElements))]; }

// Every distance from atom i to atom j's translations within the window, as
// the engine measures them: from the moved positions, by offset() and shifted().
class BruteForce {
public:
    BruteForce(const std::vector<Atom>& atoms, const PeriodicCell& cell) : cell_(cell) {
        for (const Atom& atom : atoms) {
            bool in_cell = false;
            home_.push_back(geometry::moved_into_cell(atom, cell, in_cell));
            in_cell_.push_back(in_cell);
        }
        // Moved atoms lie within one cell of each other (one step more for
        // rounding), and no question reaches beyond the coordination radius
        // or the shortest period.
        const double reach = std::max(cell.shortest_period(), geometry::kCoordinationRadius);
        for (std::size_t axis = 0; axis < cell.periodic_count(); ++axis) {
            window_[axis] = static_cast<std::int64_t>(std::ceil(reach / cell.height(axis))) + 2;
        }
    }

    // Calls visit(d) for every distance from atom i to a translation of atom j (not i itself).
    template <typename Visit>
    void each_distance(std::size_t i, std::size_t j, Visit&& visit) const {
        const Translation none{0, 0, 0};
        const Translation reach = in_cell_[j] ? window_ : none;
        Translation step{0, 0, 0};
        for (step[0] = -reach[0]; step[0] <= reach[0]; ++step[0]) {
            for (step[1] = -reach[1]; step[1] <= reach[1]; ++step[1]) {
                for (step[2] = -reach[2]; step[2] <= reach[2]; ++step[2]) {
                    const bool identity = step[0] == 0 && step[1] == 0 && step[2] == 0;
                    if (i == j && identity) continue;
                    const Atom image = identity ? home_[j] : PeriodicCell::shifted(home_[j], cell_.offset(step));
                    visit(geometry::distance(home_[i], image));
                }
            }
        }
    }

    double nearest(std::size_t i) const {
        double nearest = kInf;
        for (std::size_t j = 0; j < home_.size(); ++j) {
            each_distance(i, j, [&](double d) {
                if (d < nearest) nearest = d;
            });
        }
        return nearest;
    }

    std::size_t neighbours_within(std::size_t i, double radius) const {
        std::size_t count = 0;
        for (std::size_t j = 0; j < home_.size(); ++j) {
            each_distance(i, j, [&](double d) { count += d <= radius ? 1 : 0; });
        }
        return count;
    }

    double shortest_image(std::size_t i, std::size_t j) const {
        double shortest = kInf;
        each_distance(i, j, [&](double d) {
            if (d < shortest) shortest = d;
        });
        return shortest;
    }

    std::size_t size() const { return home_.size(); }

private:
    const PeriodicCell& cell_;
    std::vector<Atom> home_;
    std::vector<bool> in_cell_;
    Translation window_{0, 0, 0};
};

// The engine's steps, with every distance from the brute force.
std::vector<Finding> brute_force_lint(const ClusterSpec& spec, const PeriodicCell& cell) {
    const BruteForce brute(spec.atoms, cell);
    const std::span<const Atom> atoms(spec.atoms);
    FindingList list;
    OrderedFindings out(list);
    check_electron_count(spec, out);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const auto cutoff = bonding_cutoff(atoms[i].element);
        if (!cutoff) continue;
        const double nearest = brute.nearest(i);
        if (nearest > *cutoff) report_bare_heteroatom(out, atoms, i, *cutoff, nearest);
    }
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (is_metal(atoms[i].element)) {
            report_metal_coordination(out, atoms, i, brute.neighbours_within(i, geometry::kCoordinationRadius));
        }
    }
    check_metal_spin_state(spec, out);
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        for (std::size_t j = i + 1; j < atoms.size(); ++j) {
            const double d = brute.shortest_image(i, j);
            if (d < geometry::kOverlapDistance) report_overlapping_atoms(out, atoms, i, j, d);
        }
    }
    double closest_hydrogen_contact = kInf;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (atoms[i].element == kHydrogen) closest_hydrogen_contact = std::min(closest_hydrogen_contact, brute.nearest(i));
    }
    report_unit_scale_if_bohr(out, closest_hydrogen_contact);
    out.finish();
    return std::move(list.findings);
}

std::string periodic_lint_text(const ClusterSpec& spec, const PeriodicCell& cell) {
    FindingList list;
    lint(spec, std::optional<PeriodicCell>(cell), list);
    return render(list.findings);
}

Vector3 random_vector(Random& random, double length) {
    Vector3 v{uniform(random, -1, 1), uniform(random, -1, 1), uniform(random, -1, 1)};
    return geometry::scaled(v, length / geometry::length(v));
}

struct GivenCell {
    std::array<Vector3, 3> vectors;
    std::array<bool, 3> periodic;
};

// Orthorhombic or triclinic sides between `shortest` and `longest`, then
// skewed by adding whole multiples of one vector to another (same lattice,
// faces much closer together), with one, two or three periodic axes.
GivenCell random_cell(Random& random, double shortest, double longest) {
    GivenCell cell;
    const bool orthorhombic = chance(random, 0.4);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double side = uniform(random, shortest, longest);
        Vector3 v{0, 0, 0};
        v[axis] = side;
        if (!orthorhombic) v = geometry::minus(v, geometry::scaled(random_vector(random, 1.0), -0.3 * side));
        cell.vectors[axis] = v;
    }
    if (chance(random, 0.5)) {
        for (int round = 0; round < 3; ++round) {
            const std::size_t to = below(random, 3), from = (to + 1 + below(random, 2)) % 3;
            const double times = static_cast<double>(below(random, 9)) - 4.0;
            cell.vectors[to] = geometry::minus(cell.vectors[to], geometry::scaled(cell.vectors[from], times));
        }
    }
    const std::size_t shape = below(random, 6);
    cell.periodic = {true, true, true};
    if (shape == 1) cell.periodic = {true, true, false};
    if (shape == 2) cell.periodic = {false, true, false};
    if (shape == 3) cell.periodic = {true, false, true};
    return cell;
}

Atom at_fractions(const GivenCell& cell, std::string element, double a, double b, double c) {
    Atom atom{std::move(element), 0, 0, 0};
    for (std::size_t k = 0; k < 3; ++k) {
        const double fraction = k == 0 ? a : k == 1 ? b : c;
        atom.x += fraction * cell.vectors[k][0];
        atom.y += fraction * cell.vectors[k][1];
        atom.z += fraction * cell.vectors[k][2];
    }
    return atom;
}

// Atoms at random fractions, on faces and corners (fractions 0, 1/2, 1 and
// whole cells out), water-like molecules that cross the faces, duplicates
// and the odd non-finite coordinate.
std::vector<Atom> random_atoms(Random& random, const GivenCell& cell, std::size_t count) {
    std::vector<Atom> atoms;
    const auto fraction = [&] {
        if (chance(random, 0.3)) return static_cast<double>(below(random, 5)) * 0.5 - 0.5;
        return uniform(random, -1.5, 2.5);
    };
    while (atoms.size() < count) {
        const std::size_t kind = below(random, 10);
        if (kind < 5) {
            atoms.push_back(at_fractions(cell, element(random), fraction(), fraction(), fraction()));
        } else if (kind < 8) {
            const Atom centre = at_fractions(cell, chance(random, 0.8) ? "O" : "N", fraction(), fraction(), fraction());
            atoms.push_back(centre);
            const double scale = chance(random, 0.8) ? 1.0 : 1.8897;
            for (int h = 0; h < 2; ++h) {
                const Vector3 bond = random_vector(random, 0.96 * scale);
                atoms.push_back(Atom{"H", centre.x + bond[0], centre.y + bond[1], centre.z + bond[2]});
            }
        } else if (kind < 9 && !atoms.empty()) {
            Atom copy = atoms[below(random, atoms.size())];
            if (chance(random, 0.5)) copy.x += uniform(random, -0.6, 0.6);
            atoms.push_back(copy);
        } else {
            Atom spoiled = at_fractions(cell, element(random), fraction(), fraction(), fraction());
            spoiled.y = chance(random, 0.5) ? kNaN : kInf;
            atoms.push_back(spoiled);
        }
    }
    atoms.resize(count);
    return atoms;
}

struct Tally {
    std::size_t frames = 0;
    std::size_t atoms = 0;
    std::size_t findings = 0;
    std::size_t too_thin = 0;
};

void compare(Random& random, double shortest, double longest, std::size_t most_atoms, Tally& tally,
             const std::string& label) {
    const GivenCell given = random_cell(random, shortest, longest);
    const auto made = PeriodicCell::make(given.vectors, given.periodic);
    if (std::holds_alternative<geometry::CellProblem>(made)) {
        // Only a lattice with a vector below the overlap distance may be refused here.
        CHECK(std::get<geometry::CellProblem>(made) == geometry::CellProblem::TooThin);
        ++tally.too_thin;
        return;
    }
    const PeriodicCell& cell = std::get<PeriodicCell>(made);
    ClusterSpec spec;
    spec.atoms = random_atoms(random, given, 1 + below(random, most_atoms));
    if (chance(random, 0.5)) {
        spec.charge = 0;
        spec.spin_multiplicity = 1;
    }
    const std::string expected = render(brute_force_lint(spec, cell));
    const std::string actual = periodic_lint_text(spec, cell);
    ++tally.frames;
    tally.atoms += spec.atoms.size();
    tally.findings += static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n'));
    if (actual != expected) {
        fail(__FILE__, __LINE__, label + " frame " + std::to_string(tally.frames) + ":\n  actual:\n" + actual +
                                     "  expected:\n" + expected);
    }
}

void run(const std::string& label, double shortest, double longest, std::size_t frames, std::size_t most_atoms,
         std::uint64_t seed) {
    Random random(seed);
    Tally tally;
    for (std::size_t i = 0; i < frames; ++i) compare(random, shortest, longest, most_atoms, tally, label);
    std::cerr << label << ": " << tally.frames << " frames, " << tally.atoms << " atoms, " << tally.findings
              << " findings, " << tally.too_thin << " cells refused as too thin\n";
    // The generators must exercise the rules, not only produce clean frames.
    CHECK(tally.findings > tally.frames);
}

}  // namespace

TEST(periodic_differential_tiny_cells) { run("tiny", 0.4, 3.0, 200, 12, 21); }

TEST(periodic_differential_cells_near_the_cutoffs) { run("middle", 2.0, 7.0, 150, 30, 22); }

TEST(periodic_differential_large_cells) { run("large", 8.0, 25.0, 80, 40, 23); }
