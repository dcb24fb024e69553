// The rules engine: one cluster in, its findings out, errors first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "lib/cluster.h"
#include "lib/finding.h"
#include "lib/geometry/periodic_cell.h"

namespace quorv {

// Receives findings one at a time, in their final order.
class FindingSink {
public:
    virtual ~FindingSink() = default;
    virtual void accept(Finding&& finding) = 0;
};

// Puts findings into their final order as the rules produce them: every
// error in the order produced, then every warning in the order produced
// (a stable sort by severity). Errors go on to the sink at once, so that
// the many findings a cluster can produce need not all be held; warnings
// wait for finish().
class OrderedFindings {
public:
    explicit OrderedFindings(FindingSink& sink) : sink_(sink) {}
    void add(Finding&& finding);
    // Hands on the warnings held back. Call once, after the last add().
    void finish();

private:
    // A cluster rarely has more warnings than an abstain and a unit scale
    // (a frame without charge or multiplicity always has the first): those
    // wait in place, so that such a cluster costs no allocation.
    static constexpr std::size_t kWarningsInPlace = 2;

    FindingSink& sink_;
    std::array<std::optional<Finding>, kWarningsInPlace> first_warnings_;
    std::size_t warnings_in_place_ = 0;
    std::vector<Finding> more_warnings_;
};

// A sink that keeps every finding, in order.
class FindingList final : public FindingSink {
public:
    void accept(Finding&& finding) override { findings.push_back(std::move(finding)); }
    std::vector<Finding> findings;
};

// Which rules judge a cluster. Strict, the default, applies the fixed rules
// and tables this tool has always applied, with the same output byte for
// byte. Preview, off unless asked for, knows every element and judges each
// pair of atoms by their covalent radii (docs/codes/*.md, section
// "Preview", say what changes per code).
enum class RuleSet : std::uint8_t { Strict, Preview };

// Never fails: every problem it detects becomes a finding.
void lint(const ClusterSpec& spec, FindingSink& sink);
std::vector<Finding> lint(const ClusterSpec& spec);
void lint(const ClusterSpec& spec, RuleSet rules, FindingSink& sink);
std::vector<Finding> lint(const ClusterSpec& spec, RuleSet rules);

// The same for a frame that may be periodic: with a cell, the geometry rules
// measure every distance as the shortest over the periodic images (an atom's
// own images included); without one, the frame is a molecule and the
// findings are exactly those of lint(spec). Messages are the same texts.
void lint(const ClusterSpec& spec, const std::optional<geometry::PeriodicCell>& cell, FindingSink& sink);

}  // namespace quorv
