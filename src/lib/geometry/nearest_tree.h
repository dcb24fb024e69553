// A k-d tree over a cluster's finite atoms for the one question a grid
// answers badly: the nearest partner of an atom that has none close by. It
// finds it in about logarithmic time however far away the partner lies, with
// the reference's answer: every distance it compares is measured with the
// reference `distance`, and a box is passed over only when the length of its
// per-axis gaps, a lower bound on every distance into it, cannot beat the
// nearest found so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lib/cluster.h"

namespace quorv::geometry {

class NearestTree {
public:
    // The atoms must outlive the tree.
    explicit NearestTree(std::span<const Atom> atoms);

    // min(bound, the smallest distance from atoms[index] to any other atom),
    // NaN skipped. atoms[index] must be finite: a non-finite atom has no
    // finite distance to anything.
    double nearest_distance_below(std::size_t index, double bound) const;

private:
    struct Box {
        double low[3];
        double high[3];
    };
    // Node n covers order_[begin, end) and has children 2n + 1 and 2n + 2,
    // which split its range in the middle.
    void build(std::size_t node, std::size_t begin, std::size_t end);
    double gap_length(std::size_t node, const Atom& atom) const;
    void search(std::size_t node, std::size_t begin, std::size_t end, std::size_t index, double& nearest) const;

    std::span<const Atom> atoms_;
    std::vector<std::size_t> order_;
    std::vector<Box> boxes_;
};

}  // namespace quorv::geometry
