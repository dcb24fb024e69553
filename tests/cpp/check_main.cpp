// Runs the registered tests and closes with "N passed, M failed".
//   core_tests             every test
//   core_tests NAME...     the named tests (ctest runs each on its own)
//   core_tests --expect N  runs nothing; fails unless exactly N tests are registered
#include <cstdlib>
#include <set>
#include <string>

#include "check.h"

int main(int argc, char** argv) {
    std::set<std::string> wanted;
    long expected_count = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--expect" && i + 1 < argc) {
            expected_count = std::strtol(argv[++i], nullptr, 10);
        } else {
            wanted.insert(argument);
        }
    }
    const auto& tests = quorv::testing::registry();
    if (expected_count >= 0) {
        if (static_cast<long>(tests.size()) == expected_count) return 0;
        std::cerr << tests.size() << " tests are registered, the build knows of " << expected_count << "\n";
        return 1;
    }
    int passed = 0;
    int failed = 0;
    std::set<std::string> found;
    for (const auto& test : tests) {
        if (!wanted.empty() && !wanted.contains(test.name)) continue;
        found.insert(test.name);
        quorv::testing::failures_in_current_test() = 0;
        test.body();
        if (quorv::testing::failures_in_current_test() == 0) {
            ++passed;
        } else {
            ++failed;
            std::cerr << "FAILED " << test.name << "\n";
        }
    }
    for (const std::string& name : wanted) {
        if (!found.contains(name)) {
            std::cerr << "no test named " << name << "\n";
            ++failed;
        }
    }
    std::cout << passed << " passed, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}
