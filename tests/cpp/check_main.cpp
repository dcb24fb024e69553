// Runs every registered test and closes with "N passed, M failed".
#include "check.h"

int main() {
    int passed = 0;
    int failed = 0;
    for (const auto& test : quorv::testing::registry()) {
        quorv::testing::failures_in_current_test() = 0;
        test.body();
        if (quorv::testing::failures_in_current_test() == 0) {
            ++passed;
        } else {
            ++failed;
            std::cerr << "FAILED " << test.name << "\n";
        }
    }
    std::cout << passed << " passed, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}
