// A box of liquid water for the core's benchmarks: molecules on a jittered
// cubic lattice at the density of liquid water (one per 29.9 Å^3), each
// randomly oriented, with the experimental O-H length and H-O-H angle.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "lib/cluster.h"

namespace quorv::bench {

struct WaterBox {
    std::vector<Atom> atoms;
    double side = 0.0;  // the cubic cell, ångström
};

inline WaterBox water_box(std::size_t atom_count, unsigned seed) {
    constexpr double kWaterVolume = 29.9;
    constexpr double kOhLength = 0.9572;
    constexpr double kHalfAngle = 104.52 / 2 * 3.14159265358979323846 / 180;
    constexpr double kJitter = 0.25;
    const std::size_t molecules = (atom_count + 2) / 3;
    const auto per_side = static_cast<std::size_t>(std::ceil(std::cbrt(static_cast<double>(molecules))));
    const double spacing = std::cbrt(kWaterVolume);
    WaterBox box;
    box.side = spacing * static_cast<double>(per_side);
    std::mt19937_64 random(seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> jitter(-kJitter, kJitter);
    const auto unit = [&] {
        double v[3] = {gauss(random), gauss(random), gauss(random)};
        const double norm = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        return std::array<double, 3>{v[0] / norm, v[1] / norm, v[2] / norm};
    };
    for (std::size_t m = 0; m < molecules; ++m) {
        const double centre[3] = {(static_cast<double>(m % per_side) + 0.5) * spacing + jitter(random),
                                  (static_cast<double>(m / per_side % per_side) + 0.5) * spacing + jitter(random),
                                  (static_cast<double>(m / per_side / per_side) + 0.5) * spacing + jitter(random)};
        const auto bisector = unit();
        auto normal = unit();
        // Orthogonal to the bisector.
        const double along = normal[0] * bisector[0] + normal[1] * bisector[1] + normal[2] * bisector[2];
        for (int c = 0; c < 3; ++c) normal[c] -= along * bisector[c];
        const double norm = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        box.atoms.push_back(Atom{"O", centre[0], centre[1], centre[2]});
        for (const double sign : {1.0, -1.0}) {
            double h[3];
            for (int c = 0; c < 3; ++c) {
                const double direction = std::cos(kHalfAngle) * bisector[c] + sign * std::sin(kHalfAngle) * normal[c] / norm;
                // Wrapped into the box, as a simulation writes its frames.
                h[c] = std::fmod(centre[c] + kOhLength * direction + box.side, box.side);
            }
            box.atoms.push_back(Atom{"H", h[0], h[1], h[2]});
        }
    }
    box.atoms.resize(atom_count);
    return box;
}

}  // namespace quorv::bench
