#include "lib/geometry/nearest_tree.h"

#include <algorithm>
#include <cmath>

#include "lib/geometry/distance.h"

namespace quorv::geometry {

namespace {

constexpr std::size_t kLeafSize = 8;

double coordinate(const Atom& atom, int axis) { return axis == 0 ? atom.x : axis == 1 ? atom.y : atom.z; }

// How far the value lies outside [low, high], rounded as the reference rounds
// a coordinate difference: never more than the difference to any value inside.
double gap(double value, double low, double high) {
    if (value < low) return low - value;
    if (value > high) return value - high;
    return 0.0;
}

}  // namespace

NearestTree::NearestTree(std::span<const Atom> atoms) : atoms_(atoms) {
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (is_finite(atoms[i])) order_.push_back(i);
    }
    std::size_t nodes = 1;
    for (std::size_t widest = order_.size(); widest > kLeafSize; widest = (widest + 1) / 2) nodes = 2 * nodes + 1;
    boxes_.resize(nodes);
    if (!order_.empty()) build(0, 0, order_.size());
}

void NearestTree::build(std::size_t node, std::size_t begin, std::size_t end) {
    Box& box = boxes_[node];
    const Atom& first = atoms_[order_[begin]];
    box = {{first.x, first.y, first.z}, {first.x, first.y, first.z}};
    for (std::size_t k = begin + 1; k < end; ++k) {
        const Atom& atom = atoms_[order_[k]];
        for (int axis = 0; axis < 3; ++axis) {
            box.low[axis] = std::min(box.low[axis], coordinate(atom, axis));
            box.high[axis] = std::max(box.high[axis], coordinate(atom, axis));
        }
    }
    if (end - begin <= kLeafSize) return;
    int widest = 0;
    for (int axis = 1; axis < 3; ++axis) {
        if (box.high[axis] - box.low[axis] > box.high[widest] - box.low[widest]) widest = axis;
    }
    const std::size_t middle = begin + (end - begin) / 2;
    const auto at = [&](std::size_t k) { return order_.begin() + static_cast<std::ptrdiff_t>(k); };
    std::nth_element(at(begin), at(middle), at(end), [&](std::size_t a, std::size_t b) {
        return coordinate(atoms_[a], widest) < coordinate(atoms_[b], widest);
    });
    build(2 * node + 1, begin, middle);
    build(2 * node + 2, middle, end);
}

double NearestTree::gap_length(std::size_t node, const Atom& atom) const {
    const Box& box = boxes_[node];
    return length(gap(atom.x, box.low[0], box.high[0]), gap(atom.y, box.low[1], box.high[1]),
                  gap(atom.z, box.low[2], box.high[2]));
}

void NearestTree::search(std::size_t node, std::size_t begin, std::size_t end, std::size_t index,
                         double& nearest) const {
    if (end - begin <= kLeafSize) {
        for (std::size_t k = begin; k < end; ++k) {
            if (order_[k] == index) continue;
            const double d = distance(atoms_[index], atoms_[order_[k]]);
            if (d < nearest) nearest = d;  // false for NaN
        }
        return;
    }
    const Atom& atom = atoms_[index];
    const std::size_t middle = begin + (end - begin) / 2;
    const std::size_t low = 2 * node + 1;
    const std::size_t high = 2 * node + 2;
    const double low_gap = gap_length(low, atom);
    const double high_gap = gap_length(high, atom);
    // The nearer half first, so that the nearest found there rules out more of the other.
    if (low_gap <= high_gap) {
        if (low_gap < nearest) search(low, begin, middle, index, nearest);
        if (high_gap < nearest) search(high, middle, end, index, nearest);
    } else {
        if (high_gap < nearest) search(high, middle, end, index, nearest);
        if (low_gap < nearest) search(low, begin, middle, index, nearest);
    }
}

double NearestTree::nearest_distance_below(std::size_t index, double bound) const {
    double nearest = bound;
    if (!order_.empty()) search(0, 0, order_.size(), index, nearest);
    return nearest;
}

}  // namespace quorv::geometry
