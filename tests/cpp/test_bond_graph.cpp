// The bond graph against every pair measured one by one, over generated
// clusters: the same partners, in index order, and the same closest contacts.
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "check.h"
#include "lib/geometry/bond_graph.h"
#include "lib/geometry/neighbour_grid.h"
#include "lint_helpers.h"

using namespace quorv;
using namespace quorv::testing;

TEST(bond_graph_matches_every_pair_measured) {
    std::mt19937_64 random(0xb0d);
    for (int round = 0; round < 200; ++round) {
        const std::size_t count = random() % 80;
        const double side = 1.0 + static_cast<double>(random() % 10);
        std::uniform_real_distribution<double> coordinate(0.0, side);
        std::vector<Atom> atoms;
        std::vector<std::uint8_t> kinds;
        geometry::BondReach reach;
        for (std::uint8_t kind = 0; kind < 4; ++kind) {
            reach.radius[kind] = 0.3 + 0.4 * kind;
            reach.tolerance[kind] = kind == 3 ? 0.75 : 0.55;
        }
        for (std::size_t i = 0; i < count; ++i) {
            // Some atoms on one spot, some with a NaN coordinate.
            const double x = random() % 10 == 0 ? kNaN : coordinate(random);
            atoms.push_back(random() % 8 == 0 && i > 0 ? atoms[i - 1] : atom("X", x, coordinate(random), coordinate(random)));
            kinds.push_back(static_cast<std::uint8_t>(random() % 4));
        }
        reach.kind_of_atom = kinds;
        const geometry::NeighbourGrid grid(atoms, 2.0);
        const double limit = std::nextafter(reach.longest(), std::numeric_limits<double>::infinity());
        const geometry::BondGraph graph(grid.pairs_closer_than(limit), reach);
        for (std::size_t i = 0; i < count; ++i) {
            std::vector<std::size_t> expected;
            double closest = std::numeric_limits<double>::infinity();
            std::size_t closest_atom = count;
            for (std::size_t j = 0; j < count; ++j) {
                if (j == i) continue;
                const double d = geometry::distance(atoms[i], atoms[j]);
                if (d <= reach.between(i, j)) expected.push_back(j);
                if (d < limit && d < closest) {
                    closest = d;
                    closest_atom = j;
                }
            }
            std::vector<std::size_t> found;
            for (const auto& partner : graph.partners(i)) found.push_back(partner.atom);
            CHECK(found == expected);
            const auto contact = graph.closest_contact(i);
            CHECK_EQ(contact ? std::size_t{contact->atom} : count, closest_atom);
        }
    }
}
