#include "check.h"
#include "text/format.h"
#include "text/white_space.h"

#include <limits>

using namespace quorv;

TEST(fill_replaces_holes_in_order) {
    CHECK_EQ(fill("atom {} ({}) at {} Å", {"3", "O", "1.25"}), std::string("atom 3 (O) at 1.25 Å"));
    CHECK_EQ(fill("{}{}", {"a"}), std::string("a{}"));
}

TEST(fixed_rounds_correctly_and_prints_infinity) {
    CHECK_EQ(fixed(1.8, 2), std::string("1.80"));
    CHECK_EQ(fixed(0.1 + 0.2, 3), std::string("0.300"));
    CHECK_EQ(fixed(2.675, 2), std::string("2.67"));  // 2.675 is below the tie as a double
    CHECK_EQ(fixed(std::numeric_limits<double>::infinity(), 2), std::string("inf"));
}

TEST(shortest_keeps_a_point_on_whole_values) {
    CHECK_EQ(shortest(2.0), std::string("2.0"));
    CHECK_EQ(shortest(2.5), std::string("2.5"));
    CHECK_EQ(shortest(0.1), std::string("0.1"));
    CHECK_EQ(shortest(-0.0), std::string("-0.0"));
}

TEST(white_space_is_unicode_white_space) {
    CHECK_EQ(trim_white_space("\t a b \xC2\xA0"), std::string_view("a b"));
    CHECK_EQ(trim_white_space("\xE3\x80\x80x\xE2\x80\xAF"), std::string_view("x"));
    CHECK_EQ(trim_white_space("\xEF\xBB\xBFx"), std::string_view("\xEF\xBB\xBFx"));  // BOM is no blank
    CHECK_EQ(white_space_at("\xE2\x80\x8B", 0), std::size_t{0});  // U+200B is not White_Space
    CHECK_EQ(trim_white_space(" \xC2"), std::string_view("\xC2"));  // a cut character is kept
}
