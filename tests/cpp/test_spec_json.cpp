// What only C++ can see: the cluster the reader builds, and bytes that are
// not UTF-8, which no Python str can carry.
#include <cmath>
#include <cstdint>
#include <string>
#include <variant>

#include "check.h"
#include "spec_json/spec_json_reader.h"

using namespace quorv;

namespace {

const ClusterSpec* spec_of(const ReadResult& result) { return std::get_if<ClusterSpec>(&result); }

std::string error_of(const ReadResult& result) {
    const auto* error = std::get_if<ReadError>(&result);
    return error ? error->message : std::string("<accepted>");
}

}  // namespace

TEST(json_reader_builds_the_cluster_from_the_object_form) {
    ReadResult result = parse_spec_json(
        R"({"note": {"x": 1}, "atoms": [{"element": " fe\u00e9", "x": 0.1, "y": -0, "z": 1e-400},)"
        R"( ["O", 18446744073709551616, -9223372036854775809, 123456789012345678901234567890]],)"
        R"( "charge": -9223372036854775808, "spin_multiplicity": 4294967295,)"
        R"( "ecp_elements": ["Fe", "Fe", ""], "metal_oxidation_state": null})");
    const ClusterSpec* spec = spec_of(result);
    CHECK(spec != nullptr);
    if (spec == nullptr) return;
    CHECK_EQ(spec->atoms.size(), std::size_t{2});
    CHECK_EQ(spec->atoms[0].element, std::string(" fe\xC3\xA9"));  // decoded, neither trimmed nor re-cased
    CHECK_EQ(spec->atoms[0].x, 0.1);
    CHECK(spec->atoms[0].y == 0.0 && std::signbit(spec->atoms[0].y));
    CHECK(spec->atoms[0].z == 0.0 && !std::signbit(spec->atoms[0].z));
    CHECK_EQ(spec->atoms[1].element, std::string("O"));
    CHECK_EQ(spec->atoms[1].x, 18446744073709551616.0);
    CHECK_EQ(spec->atoms[1].y, -9223372036854775809.0);
    CHECK_EQ(spec->atoms[1].z, 1.2345678901234568e29);
    CHECK(spec->charge == INT64_MIN);
    CHECK(spec->spin_multiplicity == UINT32_MAX);
    CHECK_EQ(spec->ecp_elements.size(), std::size_t{3});
    CHECK_EQ(spec->ecp_elements[2], std::string(""));
    CHECK(!spec->metal_oxidation_state.has_value());
}

TEST(json_reader_fills_absent_keys_of_a_short_array_form) {
    ReadResult result = parse_spec_json(R"([[["C", 1, 2, 3]], 0])");
    const ClusterSpec* spec = spec_of(result);
    CHECK(spec != nullptr);
    if (spec == nullptr) return;
    CHECK_EQ(spec->atoms.size(), std::size_t{1});
    CHECK_EQ(spec->atoms[0].z, 3.0);
    CHECK(spec->charge == 0);  // present, although zero
    CHECK(!spec->spin_multiplicity.has_value());
    CHECK(spec->ecp_elements.empty());
    CHECK(!spec->metal_oxidation_state.has_value());
}

TEST(json_reader_rounds_decimals_correctly) {
    struct Case {
        const char* literal;
        double value;
    };
    const Case cases[] = {
        {"2.2250738585072011e-308", 2.2250738585072011e-308},
        {"9007199254740993", 9007199254740992.0},  // a tie rounds to even
        {"0.30000000000000004", 0.30000000000000004},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"4.9e-324", 4.9e-324},
    };
    for (const Case& c : cases) {
        ReadResult result = parse_spec_json(std::string(R"({"atoms": [["C", )") + c.literal + ", 0, 0]]}");
        const ClusterSpec* spec = spec_of(result);
        CHECK(spec != nullptr);
        if (spec != nullptr) CHECK_EQ(spec->atoms[0].x, c.value);
    }
}

TEST(json_reader_rejects_bytes_that_are_not_utf8_inside_strings) {
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"{\"atoms\": [], \"a\": \"\xFF\"}", "invalid unicode code point at line 1 column 21"},
        {"{\"atoms\": [], \"a\": \"ab\xC3\"}", "invalid unicode code point at line 1 column 23"},
        {"{\"atoms\": [], \"a\": \"\xED\xA0\x80\"}", "invalid unicode code point at line 1 column 21"},
        {"{\"atoms\": [], \"a\": \"\xC0\xAF\"}", "invalid unicode code point at line 1 column 21"},
        {"{\"atoms\": [], \"a\": \"\xF4\x90\x80\x80\"}", "invalid unicode code point at line 1 column 21"},
        {"{\"atoms\": [], \"\x80\": 1}", "invalid unicode code point at line 1 column 16"},
        {"{\"atoms\": [[\"\xE2\x82\", 0, 0, 0]]}", "invalid unicode code point at line 1 column 14"},
        {"{\"atoms\": [], \"a\": \xFF}", "expected value at line 1 column 20"},
        {std::string("{\"atoms\": [], \"a\": \"\0\"}", 23),
         "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 21"},
    };
    for (const Case& c : cases) CHECK_EQ(error_of(parse_spec_json(c.text)), c.error);
}

TEST(json_reader_fails_cleanly_on_every_cut_of_a_document) {
    const std::string document =
        "{\"atoms\": [{\"element\": \"C\\u00e9\\ud83d\\ude00\", \"x\": -1.5e-3, \"y\": 2, \"z\": 0},\n"
        " [\"O\", 1, 2, 3]], \"charge\": -1, \"spin_multiplicity\": 2, \"ecp_elements\": [\"\xC3\xA9\"],\n"
        " \"metal_oxidation_state\": 3, \"x\": [true, false, null, {\"k\": []}]}";
    CHECK(spec_of(parse_spec_json(document)) != nullptr);
    for (std::size_t length = 0; length < document.size(); ++length) {
        ReadResult result = parse_spec_json(std::string_view(document).substr(0, length));
        const auto* error = std::get_if<ReadError>(&result);
        CHECK(error != nullptr);
        if (error != nullptr) CHECK(error->message.find(" at line ") != std::string::npos);
    }
}
