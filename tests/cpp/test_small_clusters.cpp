// lint on the small clusters a trajectory or a folder of small files is made
// of: a clean one, or one whose only finding is a warning, costs no
// allocation at all, whatever way its geometry is searched.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

#include "check.h"
#include "lib/geometry/small_molecule_neighbours.h"
#include "lint_helpers.h"

namespace {

// Every allocation through operator new in this test binary, counted.
std::atomic<std::size_t> allocations{0};

}  // namespace

// From malloc, as the library's own operator new, and given back to it.
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

using namespace quorv;
using namespace quorv::testing;

namespace {

// Takes findings and keeps none of them: the caller's list is not lint's cost.
class CountingSink final : public FindingSink {
public:
    void accept(Finding&&) override { ++findings; }
    std::size_t findings = 0;
};

// Waters 3.1 Å apart on a cubic lattice: nothing wrong with any of them.
ClusterSpec clean_waters(std::size_t molecules) {
    std::vector<Atom> atoms;
    for (std::size_t i = 0; i < molecules; ++i) {
        const double x = 3.1 * static_cast<double>(i % 5), y = 3.1 * static_cast<double>(i / 5 % 5);
        const double z = 3.1 * static_cast<double>(i / 25);
        atoms.push_back(atom("O", x, y, z));
        atoms.push_back(atom("H", x + 0.96, y, z));
        atoms.push_back(atom("H", x - 0.24, y + 0.93, z));
    }
    return declared(std::move(atoms), 0, 1);
}

}  // namespace

TEST(lint_allocates_nothing_for_a_clean_small_cluster) {
    // Every pair in turn, the walk along x, and its largest size; with and
    // without declarations, an ECP list and an oxidation state.
    for (const std::size_t molecules : {1, 2, 5, 6, 20, 42}) {
        ClusterSpec spec = clean_waters(molecules);
        CHECK(spec.atoms.size() <= geometry::SmallMoleculeNeighbours::kMostAtoms);
        for (int variant = 0; variant < 3; ++variant) {
            if (variant == 1) {
                spec.ecp_elements = {"I", "Au"};
                spec.metal_oxidation_state = 2;
            }
            if (variant == 2) spec.charge.reset();  // an abstain warning, held back until the end
            CountingSink sink;
            const std::size_t before = allocations.load();
            lint(spec, sink);
            const std::size_t allocated = allocations.load() - before;
            CHECK_EQ(sink.findings, variant == 2 ? std::size_t{1} : std::size_t{0});
            CHECK_EQ(allocated, std::size_t{0});
        }
    }
}
