// A small test harness for the core's C++ interface: TEST(name) { CHECK(...); }
#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace quorv::testing {

struct TestCase {
    const char* name;
    void (*body)();
};

inline std::vector<TestCase>& registry() {
    static std::vector<TestCase> tests;
    return tests;
}

inline int& failures_in_current_test() {
    static int failures = 0;
    return failures;
}

struct Registrar {
    Registrar(const char* name, void (*body)()) { registry().push_back({name, body}); }
};

inline void fail(const char* file, int line, const std::string& what) {
    ++failures_in_current_test();
    std::cerr << file << ":" << line << ": check failed: " << what << "\n";
}

template <typename A, typename B>
void check_equal(const A& actual, const B& expected, const char* actual_text, const char* expected_text,
                 const char* file, int line) {
    if (actual == expected) return;
    std::ostringstream what;
    what << actual_text << " == " << expected_text << "\n    actual:   " << actual
         << "\n    expected: " << expected;
    fail(file, line, what.str());
}

}  // namespace quorv::testing

#define TEST(name)                                                                   \
    static void name();                                                              \
    static const ::quorv::testing::Registrar name##_registrar(#name, name);          \
    static void name()

#define CHECK(condition) \
    ((condition) ? void() : ::quorv::testing::fail(__FILE__, __LINE__, #condition))

#define CHECK_EQ(actual, expected) \
    ::quorv::testing::check_equal((actual), (expected), #actual, #expected, __FILE__, __LINE__)
