#include "lib/geometry/distance.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace quorv::geometry {

namespace {

// The neighbouring doubles of a non-negative double: for these, one step in
// the bit pattern is one step in value (and from the largest double up is +inf).
double step_up(double value) { return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) + 1); }
double step_down(double value) { return std::bit_cast<double>(std::bit_cast<std::uint64_t>(value) - 1); }

}  // namespace

double largest_square_within(double limit) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    if (!(limit >= 0)) return -1.0;
    if (limit == kInf) return kInf;
    // The rules ask about a few fixed radii, frame after frame: each thread
    // keeps its last answers, one per place that a limit's bits pick.
    struct Answer {
        double limit = -1.0;
        double square = 0.0;
    };
    constexpr std::size_t kPlaces = 8;
    thread_local std::array<Answer, kPlaces> answers;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(limit);
    Answer& answer = answers[(bits ^ (bits >> 29) ^ (bits >> 52)) % kPlaces];
    if (answer.limit == limit) return answer.square;
    // The answer is within a few steps of the rounded square (+inf past the
    // largest double's root): step down until the root is within the limit,
    // then up while it stays so.
    double square = limit * limit;
    while (std::sqrt(square) > limit) square = step_down(square);
    for (double next = step_up(square); next != kInf && std::sqrt(next) <= limit; next = step_up(square)) {
        square = next;
    }
    answer = {limit, square};
    return square;
}

namespace pairwise {

double nearest_distance(std::span<const Atom> atoms, std::size_t index) {
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t other = 0; other < atoms.size(); ++other) {
        if (other == index) continue;
        const double d = distance(atoms[index], atoms[other]);
        if (d < nearest) nearest = d;  // false for NaN: the minimum keeps its value
    }
    return nearest;
}

std::size_t count_neighbours_within(std::span<const Atom> atoms, std::size_t index, double radius) {
    std::size_t neighbours = 0;
    for (std::size_t other = 0; other < atoms.size(); ++other) {
        if (other == index) continue;
        if (distance(atoms[index], atoms[other]) <= radius) ++neighbours;  // false for NaN
    }
    return neighbours;
}

void report_pairs_closer_than(std::span<const Atom> atoms, double limit,
                              const std::function<void(const AtomPair&)>& report) {
    for (std::size_t first = 0; first < atoms.size(); ++first) {
        for (std::size_t second = first + 1; second < atoms.size(); ++second) {
            const double d = distance(atoms[first], atoms[second]);
            if (d < limit) report({first, second, d});  // false for NaN
        }
    }
}

std::vector<AtomPair> pairs_closer_than(std::span<const Atom> atoms, double limit) {
    std::vector<AtomPair> pairs;
    report_pairs_closer_than(atoms, limit, [&](const AtomPair& pair) { pairs.push_back(pair); });
    return pairs;
}

}  // namespace pairwise

}  // namespace quorv::geometry
