// The preview rule set: the same codes as the strict rules (and one of its
// own), judged with every element known and each pair of atoms by its own
// bond length. Each group's file is named after the codes it emits and says
// at its top how it differs from the strict rule.
#pragma once

#include <cstdint>

#include "lib/cluster.h"
#include "lib/lint.h"

namespace quorv {

// What the preview rules judge by. The defaults were chosen on real
// structures with injected faults (bench/bench_preview.py); the docs pages
// give the measurements.
struct PreviewTolerances {
    // Two atoms are bonded within the sum of their covalent radii plus this (Å).
    double bond = 0.55;
    // The same for a pair with a metal of the sixth or seventh period, whose
    // bonds are often long and ionic.
    double heavy_metal_bond = 0.75;
    // A C, N or O atom counts as short of bonds when its bond orders fall
    // more than this below its valence...
    double shortfall_per_atom = 0.5;
    // ...and hydrogens are reported missing when the shortfall of all such
    // atoms is at least this much more than charge and multiplicity explain.
    double shortfall_in_all = 2.0;
};

// Whether the rules may settle a question from the atoms listed next to an
// atom before they build the whole bond graph. The findings are the same
// either way; None is the plain form that tests compare against.
enum class PreviewShortcuts : std::uint8_t { ListedNeighbours, None };

// `lint(spec, RuleSet::Preview, sink)` is this with the default tolerances;
// the benchmark calls it to measure others.
void lint_preview(const ClusterSpec& spec, const PreviewTolerances& tolerances, FindingSink& sink,
                  PreviewShortcuts shortcuts = PreviewShortcuts::ListedNeighbours);

}  // namespace quorv
