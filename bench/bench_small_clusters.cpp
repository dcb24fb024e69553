// lint on small clusters, where its fixed costs dominate: water (3 atoms),
// a water frame as trajectories write it (no charge or multiplicity, so one
// abstain warning), methanol (6) and solvated clusters read from cluster-spec JSON
// files (bench/solvated_cluster.py OUT.json ATOMS makes them), each against
// the engine run with the plain pairwise geometry rules, timed in the same
// run with the calls alternating. A large cluster is timed alone (the
// pairwise rules would take seconds on it).
//
//   bench_small_clusters [FILE.json ...]           the table
//   bench_small_clusters --once CLUSTER CALLS      CALLS lints of one cluster
//                                                  (water, water-frame,
//                                                  methanol or a file),
//                                                  for callgrind
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "lib/geometry/pairwise_reference.h"
#include "lib/lint.h"
#include "seconds_of.h"
#include "spec_json/spec_json_reader.h"

namespace {

using quorv::Atom;
using quorv::ClusterSpec;
using quorv::bench::seconds_of;

// Above this the pairwise baseline is left out.
constexpr std::size_t kMostAtomsWithBaseline = 2'000;
// Each timing is the best of this many rounds, each round of enough calls
// to take about a millisecond.
constexpr int kRounds = 25;

ClusterSpec declared(std::vector<Atom> atoms) {
    ClusterSpec spec;
    spec.atoms = std::move(atoms);
    spec.charge = 0;
    spec.spin_multiplicity = 1;
    return spec;
}

ClusterSpec water() {
    return declared({{"O", 0.0, 0.0, 0.1173}, {"H", 0.0, 0.7572, -0.4692}, {"H", 0.0, -0.7572, -0.4692}});
}

ClusterSpec water_frame() {
    ClusterSpec spec = water();
    spec.charge.reset();
    spec.spin_multiplicity.reset();
    return spec;
}

ClusterSpec methanol() {
    return declared({{"C", -0.0467, 0.6629, 0.0},
                     {"O", -0.0467, -0.7570, 0.0},
                     {"H", -1.0861, 0.9754, 0.0},
                     {"H", 0.4352, 1.0830, 0.8856},
                     {"H", 0.4352, 1.0830, -0.8856},
                     {"H", 0.8760, -1.0700, 0.0}});
}

ClusterSpec read_cluster(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    quorv::ReadResult result = quorv::parse_spec_json(text);
    if (const auto* error = std::get_if<quorv::ReadError>(&result)) {
        std::fprintf(stderr, "%s: %s\n", path, error->message.c_str());
        std::exit(2);
    }
    return std::get<ClusterSpec>(std::move(result));
}

ClusterSpec cluster_named(const char* name) {
    if (std::strcmp(name, "water") == 0) return water();
    if (std::strcmp(name, "water-frame") == 0) return water_frame();
    if (std::strcmp(name, "methanol") == 0) return methanol();
    return read_cluster(name);
}

// Counts findings and keeps none: what lint costs without the caller's list,
// as the command, which prints findings as they come, uses it.
class CountingSink final : public quorv::FindingSink {
public:
    void accept(quorv::Finding&&) override { ++findings; }
    std::size_t findings = 0;
};

std::size_t lint_calls(const ClusterSpec& spec, std::size_t calls, auto lint) {
    std::size_t findings = 0;
    for (std::size_t call = 0; call < calls; ++call) findings += lint(spec).size();
    return findings;
}

// Nanoseconds per call of each way, best of kRounds.
void time_cluster(const char* name, const ClusterSpec& spec) {
    const std::size_t atoms = spec.atoms.size();
    const std::size_t calls = std::max<std::size_t>(1, 20'000 / std::max<std::size_t>(atoms, 1));
    const bool with_baseline = atoms <= kMostAtomsWithBaseline;
    const auto engine = [](const ClusterSpec& s) { return quorv::lint(s); };
    const auto pairwise = [](const ClusterSpec& s) { return quorv::geometry::pairwise::lint(s); };
    double best = 1e300, best_baseline = 1e300;
    std::size_t findings = 0;
    for (int round = 0; round < kRounds; ++round) {
        best = std::min(best, seconds_of([&] { findings = lint_calls(spec, calls, engine); }));
        if (with_baseline) {
            best_baseline = std::min(best_baseline, seconds_of([&] { lint_calls(spec, calls, pairwise); }));
        }
    }
    const double per_call = best / static_cast<double>(calls) * 1e9;
    const double baseline = best_baseline / static_cast<double>(calls) * 1e9;
    std::printf("%-28s %7zu atoms %12.0f ns", name, atoms, per_call);
    if (with_baseline) {
        std::printf(" %12.0f ns %8.2fx", baseline, per_call / baseline);
    } else {
        std::printf(" %12s %9s", "-", "-");
    }
    std::printf("  (%zu findings)\n", findings / calls);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0) {
        const ClusterSpec spec = cluster_named(argv[2]);
        CountingSink sink;
        for (std::size_t call = std::strtoull(argv[3], nullptr, 10); call > 0; --call) quorv::lint(spec, sink);
        std::printf("%zu findings\n", sink.findings);
        return 0;
    }
    std::printf("%-28s %13s %15s %15s %9s\n", "cluster", "", "lint", "pairwise", "ratio");
    time_cluster("water", water());
    time_cluster("water-frame", water_frame());
    time_cluster("methanol", methanol());
    for (int i = 1; i < argc; ++i) time_cluster(argv[i], read_cluster(argv[i]));
    return 0;
}
