// Wall-clock seconds of one call, for the C++ benchmarks.
#pragma once

#include <chrono>

namespace quorv::bench {

double seconds_of(const auto& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace quorv::bench
