#include "check.h"
#include "text/ascii.h"
#include "text/utf8.h"
#include "text/white_space.h"
#include "xyz/line_masks.h"
#include "xyz/short_line_tokens.h"
#include "xyz/tokens.h"
#include "xyz/xyz_reader.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace quorv;
using namespace std::string_literals;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Up to `most` - 1 of the pieces, drawn by a small generator that gives the
// same lines on every run.
std::string line_of_pieces(const std::vector<std::string>& pieces, std::size_t most, std::uint32_t& state) {
    state = state * 1103515245u + 12345u;
    const std::size_t count = (state >> 16) % most;
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        line += pieces[(state >> 16) % pieces.size()];
    }
    return line;
}

// The error text of a read, or "<parsed>" when the text read as a cluster.
std::string error_of(std::string_view text) {
    const ReadResult result = parse_xyz(text);
    if (const auto* error = std::get_if<ReadError>(&result)) return error->message;
    return "<parsed>";
}

// The cluster of a read that must succeed; an empty one (and a failed check) otherwise.
ClusterSpec cluster_of(std::string_view text) {
    ReadResult result = parse_xyz(text);
    if (auto* spec = std::get_if<ClusterSpec>(&result)) return std::move(*spec);
    CHECK_EQ(std::get<ReadError>(result).message, std::string("<a cluster>"));
    return {};
}

template <typename Number>
std::string describe(const std::optional<Number>& value) {
    return value ? std::to_string(*value) : std::string("absent");
}

// The x coordinate of a one-atom text whose x token is `token`.
std::optional<double> x_read_from(const std::string& token) {
    const ReadResult result = parse_xyz("1\n\nH " + token + " 0 0\n");
    const auto* spec = std::get_if<ClusterSpec>(&result);
    if (spec == nullptr || spec->atoms.size() != 1) return std::nullopt;
    return spec->atoms[0].x;
}

// Every bit that matters, sign of zeros and NaNs included: hexadecimal is exact.
std::string exact(double value) {
    std::array<char, 64> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::hex).ptr;
    return std::string(buffer.data(), end);
}

struct NumberCase {
    std::string token;
    double value;
};

// Each token, read as an x coordinate, gives exactly its value.
void check_numbers(const std::vector<NumberCase>& cases) {
    for (const NumberCase& c : cases) {
        const auto x = x_read_from(c.token);
        const std::string context = " from " + c.token;
        CHECK_EQ((x ? exact(*x) : std::string("no number")) + context, exact(c.value) + context);
    }
}

}  // namespace

TEST(comment_line_gives_charge_and_multiplicity) {
    struct Case {
        std::string comment;
        std::optional<std::int64_t> charge;
        std::optional<std::uint32_t> multiplicity;
    };
    const std::vector<Case> cases = {
        {"0 1", 0, 1},
        {"-1 2", -1, 2},
        {"+1 +2", 1, 2},
        {"1 -2", {}, {}},
        {"0 1 extra", {}, {}},
        {"0", {}, {}},
        {"\t0\xC2\xA0" "1 ", 0, 1},  // tab and no-break space separate the pair
        {"0 4294967296", {}, {}},
        {"-9223372036854775808 1", std::numeric_limits<std::int64_t>::min(), 1},
        {"Charge=0 Mult=1", 0, 1},
        {"CHARGE=-2 MULTIPLICITY=3", -2, 3},
        {"charge=1", 1, {}},
        {"mult=3", {}, 3},
        {"0 1 charge=2", 2, {}},
        {"multiplicity=2 mult=4", {}, 2},
        {"multiplicity=x mult=4", {}, 4},
        {"multiplicity=4294967296 mult=2", {}, {}},
        {"multiplicity=4294967295", {}, 4294967295u},
        {"charge=1 charge=2", 1, {}},
        {"charge=x charge=2", {}, {}},
        {"charge = 1", {}, {}},
        {"charge= 1 mult= 2", 1, 2},
        {"charge=1.5 mult=2", 1, 2},
        {"charge=1,mult=2", 1, 2},
        {"charge=--1 mult=2", {}, 2},
        {"charge=\"1\"", {}, {}},
        {"total_charge=-1 spin_multiplicity=2", -1, 2},
        {"charge=x 0 1", {}, {}},
        {"mult=-1", {}, {}},
        {"mult=-1 0 1", {}, {}},  // a key gave a value, so the pair is not tried
        {"mult=0", {}, 0},
        {"mult=4294967296", {}, {}},
        {"energy=-76.4", {}, {}},
        {"", {}, {}},
    };
    for (const Case& c : cases) {
        const ClusterSpec spec = cluster_of("0\n" + c.comment + "\n");
        const std::string context = " for '" + c.comment + "'";
        CHECK_EQ(describe(spec.charge) + context, describe(c.charge) + context);
        CHECK_EQ(describe(spec.spin_multiplicity) + context, describe(c.multiplicity) + context);
    }
}

TEST(no_comment_line_leaves_charge_and_multiplicity_absent) {
    const ClusterSpec spec = cluster_of("0");
    CHECK(!spec.charge);
    CHECK(!spec.spin_multiplicity);
    CHECK(spec.ecp_elements.empty());
    CHECK(!spec.metal_oxidation_state);
}

TEST(extract_kv_reads_the_integer_after_the_first_key) {
    struct Case {
        std::string line;
        std::optional<std::int64_t> value;
    };
    const std::vector<Case> cases = {
        {"charge=3", 3},
        {"xcharge=  -3 more", -3},
        {"charge=\xC2\xA0\xE3\x80\x80" "7", 7},  // Unicode blanks are skipped too
        {"charge=+4e5", 4},
        {"charge=9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"charge=-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"charge=9223372036854775808", {}},
        {"charge=1-2", {}},
        {"charge=+", {}},
        {"charge=", {}},
        {"charge=5 charge=6", 5},
        {"charge=\xE2\x80\x8B" "5", {}},  // zero-width space is not white space
        {"no key here", {}},
    };
    for (const Case& c : cases) {
        const std::string context = " in '" + c.line + "'";
        CHECK_EQ(describe(extract_kv(c.line, "charge=")) + context, describe(c.value) + context);
    }
    CHECK_EQ(describe(extract_kv("Charge=1", "charge=")), std::string("absent"));  // the caller folds case
}

// The comment line as first specified: the keys searched in a copy of the
// line folded to lower case, the bare pair only when no key gave a value.
std::string charge_and_multiplicity_by_folding(const std::string& line) {
    std::string lower = line;
    for (char& c : lower) c = ascii_lower(c);
    const auto charge = extract_kv(lower, "charge=");
    auto multiplicity = extract_kv(lower, "multiplicity=");
    if (!multiplicity) multiplicity = extract_kv(lower, "mult=");
    if (!charge && !multiplicity) {
        const ClusterSpec spec = cluster_of("0\n" + line + "\n");
        return describe(spec.charge) + "/" + describe(spec.spin_multiplicity);
    }
    const bool fits = multiplicity && *multiplicity >= 0 && *multiplicity <= std::numeric_limits<std::uint32_t>::max();
    return describe(charge) + "/" + (fits ? std::to_string(*multiplicity) : "absent");
}

TEST(comment_keys_read_as_a_search_of_the_folded_line_would) {
    // Lines made of the pieces where the two could differ: keys in every
    // case, keys run together or cut short, blanks, signs, "=" everywhere.
    const std::vector<std::string> pieces = {
        "charge=", "CHARGE=", "Charge =", "mult=", "MULT=", "Multiplicity=", "multiplicity", "total_charge=",
        "=", "==", "-1", "+2", "3", "x", " ", "\t", "\xC2\xA0", "\xC3\x89", "mul", "t=", "chargemult=", "0 1"};
    std::uint32_t state = 12345;
    for (int round = 0; round < 20000; ++round) {
        const std::string line = line_of_pieces(pieces, 7, state);
        const ClusterSpec spec = cluster_of("0\n" + line + "\n");
        CHECK_EQ(describe(spec.charge) + "/" + describe(spec.spin_multiplicity) + " for '" + line + "'",
                 charge_and_multiplicity_by_folding(line) + " for '" + line + "'");
    }
}

// The tokens of a line by the definition: a walk over its characters, one
// at a time, taking white space (white_space_at) as the separator.
std::vector<std::string> tokens_by_walking(std::string_view line) {
    std::vector<std::string> tokens;
    std::string token;
    for (std::size_t pos = 0; pos < line.size();) {
        if (const std::size_t blank = white_space_at(line, pos)) {
            if (!token.empty()) tokens.push_back(std::exchange(token, {}));
            pos += blank;
        } else {
            const std::size_t length = char_length_at(line, pos);
            token += line.substr(pos, length);
            pos += length;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

// Every token a splitter hands out.
template <typename Tokens>
std::vector<std::string> all_tokens(Tokens& tokens) {
    std::vector<std::string> all;
    for (std::string_view token; tokens.next(token);) all.emplace_back(token);
    return all;
}

TEST(lines_split_into_the_tokens_a_walk_over_their_characters_gives) {
    // Lines of bytes where the fast paths could go wrong: runs of spaces of
    // every length, tabs and other ASCII blanks, Unicode blanks, bytes that
    // are not UTF-8, control characters that are no blanks.
    const std::vector<std::string> pieces = {" ", "        ", "\t", "\v", "\r", "\x1c", "\x01", "H", "1.5", "-0.25e3",
                                             "\xC2\xA0", "\xE3\x80\x80", "\xE2\x80\xA8", "\xC3\xA9", "\xFF", "\xE2\x80",
                                             "\xC2", "abcdefghijkl", "\x7F"};
    std::uint32_t state = 2024;
    for (int round = 0; round < 20000; ++round) {
        const std::string line = line_of_pieces(pieces, 12, state);
        const std::vector<std::string> walked = tokens_by_walking(line);
        xyz::TokenReader reader(line);
        CHECK(all_tokens(reader) == walked);
        // Counting what is left agrees with handing it out.
        std::string_view first;
        xyz::TokenReader counted(line);
        if (counted.next(first)) CHECK_EQ(counted.pass(100) + 1, walked.size());
        // The mask splitters take short ASCII lines, the same way.
        xyz::ShortLineTokens short_line;
        if (short_line.split(line)) CHECK(all_tokens(short_line) == walked);
    }
}

TEST(lines_of_a_text_split_by_their_masks_as_by_a_walk) {
    // ASCII lines long enough that tokens cross the 64-byte words, as
    // lines of a longer text (whose next line is none of them) or as its end.
    const std::vector<std::string> pieces = {" ", "        ", "\t", "\v", "\r", "\x1c", "\x01", "H", "1.5",
                                             "-0.25e3", "abcdefghijkl", "\x7F", "0.12345678"};
    std::uint32_t state = 7;
    for (int round = 0; round < 20000; ++round) {
        const std::string line = line_of_pieces(pieces, 40, state);
        // The next line short, long (so that whole words of masks lie past the line) or none.
        const char* const kNext[] = {"\nNext 1.0 2.0", "\nNext 1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0 10.0 11.0 12.0 13.0 14.0",
                                     ""};
        const std::string text = "0 1\n" + line + kNext[round % 3];
        // Some tokens kept, the rest only counted.
        const std::size_t kept = round % 4 == 0 ? xyz::LineMasks::kMostTokens : (state >> 8) % 6;
        xyz::LineMasks masks;
        if (!masks.split(text, 4, kept)) {
            CHECK(line.size() + 1 > xyz::LineMasks::kMostLineBytes);
            continue;
        }
        std::vector<std::string> walked = tokens_by_walking(line);
        CHECK_EQ(masks.length(), line.size());
        CHECK_EQ(masks.count(), walked.size());
        std::string_view first;
        xyz::LineMasks counted;
        counted.split(text, 4, kept);
        if (counted.next(first)) CHECK_EQ(counted.pass(100) + 1, walked.size());
        if (walked.size() > kept) walked.resize(kept);
        CHECK(all_tokens(masks) == walked);
    }
}

TEST(coordinates_follow_the_number_grammar) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<NumberCase> cases = {
        {"1.5", 1.5},
        {"-2", -2.0},
        {"+.5e+1", 5.0},
        {"5.", 5.0},
        {"1E3", 1000.0},
        {"007.25e-2", 0.0725},
        {"-0", -0.0},
        {"0e999999999999999999999", 0.0},
        {"1e400", kInfinity},
        {"-1e400", -kInfinity},
        {"1e99999999999999999999", kInfinity},
        {"1e-400", 0.0},
        {"-1e-400", -0.0},
        {"0.0000000001e-99999999999999999999", 0.0},
        {"1000000000000000000000000000000000e-99999999999999999999", 0.0},
        {"0.0000000001e99999999999999999999", kInfinity},  // leading zeros do not make it small
        {"-0.000001e400", -kInfinity},
        {"0.000000e400", 0.0},
        {"0." + std::string(200, '0') + "1e-200", 0.0},  // 1e-401 however it is written
        {std::string(200, '1') + "e-600", 0.0},
        {std::string(500, '1') + "e-100", kInfinity},  // 1e399 with a negative exponent
        {"-inf", -kInfinity},
        {"INF", kInfinity},
        {"+Infinity", kInfinity},
        {"iNfInItY", kInfinity},
        {"NaN", nan},
        {"-nan", -nan},
    };
    check_numbers(cases);
}

TEST(coordinates_are_the_nearest_double) {
    const double smallest_subnormal = std::numeric_limits<double>::denorm_min();
    const std::vector<NumberCase> cases = {
        {"0.1", 0.1},
        {"0.1000000000000000055511151231257827021181583404541015625", 0.1},
        {"9007199254740993", 9007199254740992.0},  // a tie goes to the even neighbour
        {"9007199254740995", 9007199254740996.0},
        {"9007199254740993.0000000000000000000000001", 9007199254740994.0},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
        {"1.7976931348623158e308", std::numeric_limits<double>::max()},
        {"1.7976931348623159e308", kInfinity},  // past the midpoint to the next power
        {"2.2250738585072014e-308", std::numeric_limits<double>::min()},
        {"4.9406564584124654e-324", smallest_subnormal},
        {"3e-324", smallest_subnormal},
        {"2.4703282292062328e-324", smallest_subnormal},  // just above half the smallest subnormal
        {"2.4703282292062327e-324", 0.0},                 // just below it: underflow to zero
        {"-2e-324", -0.0},
    };
    check_numbers(cases);
}

TEST(tokens_outside_the_grammar_are_not_numbers) {
    const std::vector<std::string> tokens = {
        "1.5d0", "1D0", "0x1p3", "0x10", "1,5", "1_000", ".", "+", "-", "e5", "1e", "1e+", "1e-", "++1",
        "+-1", "1.2.3", "1e5x", "1e5.0", "inff", "infinit", "infinity1", "nan(1)", "nana", "+-inf", "n",
        "\xEF\xBC\x91",  // fullwidth digit one
        "\xEF\xBB\xBF" "1",  // byte-order mark before a digit
    };
    for (const std::string& token : tokens) {
        CHECK_EQ(error_of("1\n\nH " + token + " 0 0") + " [" + token + "]",
                 "atom line 1: x coordinate is not a number [" + token + "]");
    }
}

TEST(element_letter_case_is_normalised) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"cl", "Cl"}, {"CL", "Cl"}, {"Cl", "Cl"}, {"CU", "Cu"}, {"fE", "Fe"}, {"h", "H"},
        {"C1", "C1"}, {"6", "6"},   {"xYZ", "Xyz"}, {"\xC3\xB1" "A", "\xC3\xB1" "a"},  // ñA: only ASCII changes
    };
    for (const auto& [token, symbol] : cases) {
        const ClusterSpec spec = cluster_of("1\n\n" + token + " 0 0 0\n");
        CHECK_EQ(spec.atoms.empty() ? std::string("<none>") : spec.atoms[0].element, symbol);
    }
}

TEST(atoms_keep_text_order_and_their_coordinates) {
    const ClusterSpec spec = cluster_of("3\ncharge=0 mult=1\nO 0.0 0.0 0.1173 -0.8\nh 0 0.7572 -0.4692\nH\t0  -0.7572\t-0.4692\n");
    CHECK_EQ(spec.atoms.size(), std::size_t{3});
    if (spec.atoms.size() != 3) return;
    CHECK_EQ(spec.atoms[0].element, std::string("O"));
    CHECK_EQ(spec.atoms[0].z, 0.1173);
    CHECK_EQ(spec.atoms[1].element, std::string("H"));
    CHECK_EQ(spec.atoms[1].y, 0.7572);
    CHECK_EQ(spec.atoms[2].y, -0.7572);
    CHECK_EQ(spec.atoms[2].z, -0.4692);
}

TEST(unicode_white_space_separates_tokens) {
    // U+00A0, U+3000 and U+2029 separate; U+200B is no white space, so it glues.
    const ClusterSpec spec = cluster_of("1\n\nH\xC2\xA0" "1\xE3\x80\x80" "2\xE2\x80\xA9" "3\n");
    CHECK_EQ(spec.atoms.size(), std::size_t{1});
    if (!spec.atoms.empty()) CHECK_EQ(spec.atoms[0].z, 3.0);
    CHECK_EQ(error_of("1\n\nH\xE2\x80\x8B" "1 2 3\n"), std::string("atom line 1 is missing the z coordinate"));
}

TEST(blank_lines_are_skipped_but_numbered) {
    CHECK_EQ(error_of("1\nc\n\nH x 0 0\n"), std::string("atom line 2: x coordinate is not a number"));
    CHECK_EQ(error_of("2\nc\nH 0 0 0\n \t\xC2\xA0\n\nO 0 0\n"), std::string("atom line 4 is missing the z coordinate"));
    CHECK_EQ(cluster_of("1\nc\n\n\n   \nH 0 0 0\n").atoms.size(), std::size_t{1});
}

TEST(carriage_returns_only_end_a_line_before_a_line_feed) {
    const ClusterSpec crlf = cluster_of("2\r\ncharge=-1 mult=2\r\nH 0 0 0\r\nO 0 0 1.5\r\n");
    CHECK_EQ(crlf.atoms.size(), std::size_t{2});
    CHECK_EQ(describe(crlf.charge), std::string("-1"));
    CHECK_EQ(describe(crlf.spin_multiplicity), std::string("2"));
    // Carriage returns alone do not split: the whole text is one header line.
    CHECK_EQ(error_of("1\rc\rH 0 0 0\r"), std::string("first line must be the atom count, got \"1\\rc\\rH 0 0 0\""));
    CHECK_EQ(error_of("2\r\n\r\n\r\nH 0 0 0\r\nH x 0 0\r\n"), std::string("atom line 3: x coordinate is not a number"));
}

TEST(header_is_an_unsigned_count) {
    for (const std::string header : {"3", " 3 ", "\t3\t", "+3", "003", "\xC2\xA0" "3\xE3\x80\x80"}) {
        CHECK_EQ(cluster_of(header + "\n\nH 0 0 0\nH 0 0 1\nH 0 0 2\n").atoms.size(), std::size_t{3});
    }
    const std::vector<std::pair<std::string, std::string>> rejected = {
        {"-0", "\"-0\""},
        {"3.0", "\"3.0\""},
        {"3 atoms", "\"3 atoms\""},
        {"++3", "\"++3\""},
        {"0x3", "\"0x3\""},
        {" \t ", "\"\""},
        {"18446744073709551616", "\"18446744073709551616\""},
        {"\xEF\xBB\xBF" "3", "\"\xEF\xBB\xBF" "3\""},
        {"a\"b\\c\td\x01\x10\x1f\x7f\x00" "e"s, "\"a\\\"b\\\\c\\td\\u{1}\\u{10}\\u{1f}\\u{7f}\\0e\""},
    };
    for (const auto& [header, shown] : rejected) {
        CHECK_EQ(error_of(header + "\n\nH 0 0 0\n"), "first line must be the atom count, got " + shown);
    }
}

TEST(reading_stops_at_the_declared_count) {
    const ClusterSpec first_frame = cluster_of("2\nframe 1\nH 0 0 0\nH 0 0 0.74\n2\nframe 2\nnot an atom line\n");
    CHECK_EQ(first_frame.atoms.size(), std::size_t{2});
    CHECK_EQ(cluster_of("0\n\n\n  \n").atoms.size(), std::size_t{0});
    CHECK_EQ(error_of("0\n\nH 0 0 0\n"), std::string("header declares 0 atom(s) but 1 were found"));
    CHECK_EQ(error_of("3\n\nH 0 0 0\nH 0 0 1\n"), std::string("header declares 3 atom(s) but 2 were found"));
    CHECK_EQ(error_of("2"), std::string("header declares 2 atom(s) but 0 were found"));
    // Without a comment line the first atom line is taken as the comment.
    CHECK_EQ(error_of("2\nH 0 0 0\nH 0 0 1\n"), std::string("header declares 2 atom(s) but 1 were found"));
}

TEST(a_huge_declared_count_fails_at_once_with_the_count_message) {
    CHECK_EQ(error_of("18446744073709551615\n\nH 0 0 0\nH 0 0 1\nH 0 0 2\n"),
             std::string("header declares 18446744073709551615 atom(s) but 3 were found"));
    CHECK_EQ(error_of("18446744073709551615"), std::string("header declares 18446744073709551615 atom(s) but 0 were found"));
}
