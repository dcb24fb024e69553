// The fast path for atoms of the usual shape against the general reader
// alone, over many generated documents: usual and unusual atoms, valid and
// broken, in every layout. Both ways must give the same cluster bit for bit
// (and the same atom lines), or the same error text.
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "spec_json/spec_json_reader.h"
#include "spec_json/usual_atom.h"

using namespace quorv;
using spec_json::AtomPath;

namespace {

using Random = std::mt19937_64;

std::size_t below(Random& random, std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
}
bool chance(Random& random, double probability) { return std::bernoulli_distribution(probability)(random); }
template <typename T, std::size_t N>
const T& pick(Random& random, const T (&choices)[N]) {
    return choices[below(random, N)];
}

const char* const kBlanks[] = {"", "", "", " ", " ", "\n", "\r\n", "\t", "\n    ", " \n\n "};
const char* const kElements[] = {
    "\"O\"", "\"H\"", "\"Fe\"", "\"\"", "\" c \"", "\"~\x7F\"",  // plain
    "\"\\u0043\"", "\"C\\\"\"", "\"\xC3\xA9\"", "\"a\tb\"",         // escapes, UTF-8, a raw tab
    "6", "null", "[\"C\"]", "\"C",                                 // wrong or broken
};
// Numbers of every kind the grammar has, and things that are not numbers.
const char* const kOddNumbers[] = {
    "0", "-0", "0.0", "-0.0", "1", "-1", "10", "9007199254740993", "18446744073709551616",
    "-9223372036854775809", "123456789012345678901234567890", "0.1", "1.0000000000000002",
    "9007199254740993.5", "0.30000000000000004", "1234567890.123456789", "1e5", "1E-5", "2.5e+3",
    "1e400", "-1e400", "1e-400", "4.9e-324", "01", "-01", "1.", ".5", "-", "+1", "1.5.2", "0x10",
    "1e", "true", "null", "\"1\"", "NaN", "1 2",
};
const char* const kOtherKeys[] = {"\"note\"", "\"element\"", "\"x\"", "\"X\"", "\"\\u0078\""};
const char* const kOtherValues[] = {"1", "\"text\"", "{\"x\": [1, {}]}", "null", "[1, 2"};

// A decimal of the usual kind, or of any length, or anything from the list above.
std::string number(Random& random) {
    if (chance(random, 0.15)) return pick(random, kOddNumbers);
    std::string text = chance(random, 0.3) ? "-" : "";
    const std::size_t integer_digits = 1 + below(random, chance(random, 0.9) ? 3 : 20);
    const std::size_t fraction_digits = chance(random, 0.1) ? 0 : below(random, chance(random, 0.9) ? 9 : 22);
    for (std::size_t i = 0; i < integer_digits; ++i) {
        const bool leading = i == 0 && integer_digits > 1;  // no leading zero here
        text += static_cast<char>(leading ? '1' + below(random, 9) : '0' + below(random, 10));
    }
    if (fraction_digits > 0) text += '.';
    for (std::size_t i = 0; i < fraction_digits; ++i) text += static_cast<char>('0' + below(random, 10));
    return text;
}

std::string element(Random& random) { return chance(random, 0.7) ? "\"O\"" : pick(random, kElements); }

// One atom: mostly the usual shape in one of the usual layouts; now and
// then keys in another order, repeated, unknown or missing.
std::string atom(Random& random) {
    const std::string blank = pick(random, kBlanks);
    const bool usual_layout = chance(random, 0.6);
    const std::string colon = usual_layout ? ": " : blank + ":" + pick(random, kBlanks);
    const std::string comma = usual_layout ? ", " : pick(random, kBlanks) + std::string(",") + blank;
    if (chance(random, 0.25)) {
        std::string text = "[" + blank + element(random);
        const std::size_t values = chance(random, 0.9) ? 3 : below(random, 5);
        for (std::size_t i = 0; i < values; ++i) text += comma + number(random);
        return text + blank + "]";
    }
    std::vector<std::string> members = {
        "\"element\"" + colon + element(random),
        "\"x\"" + colon + number(random),
        "\"y\"" + colon + number(random),
        "\"z\"" + colon + number(random),
    };
    if (chance(random, 0.1)) std::swap(members[below(random, 4)], members[below(random, 4)]);
    if (chance(random, 0.05)) members.erase(members.begin() + static_cast<std::ptrdiff_t>(below(random, 4)));
    if (chance(random, 0.1)) {
        members.insert(members.begin() + static_cast<std::ptrdiff_t>(below(random, members.size() + 1)),
                       std::string(pick(random, kOtherKeys)) + colon + pick(random, kOtherValues));
    }
    std::string text = "{" + blank;
    for (std::size_t i = 0; i < members.size(); ++i) text += (i == 0 ? "" : comma) + members[i];
    return text + blank + "}";
}

std::string document(Random& random) {
    const std::string blank = pick(random, kBlanks);
    std::string atoms = "[" + blank;
    // Now and then a list long enough that the reader sizes it again from
    // its first atoms.
    const std::size_t count = chance(random, 0.02) ? 60 + below(random, 80) : below(random, 8);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) atoms.append(",").append(pick(random, kBlanks));
        atoms += atom(random);
    }
    atoms += blank + "]";
    std::string text = chance(random, 0.2) ? "[" + atoms + ", 2, 1]"
                                           : "{\"atoms\": " + atoms + ", \"charge\": 0, \"note\": \"n\"}";
    text = pick(random, kBlanks) + text;
    if (chance(random, 0.3)) {
        // A cut, or a byte put in, taken out or changed, anywhere.
        const char kBytes[] = "{}[],:\" \n0123456789.-eE\\tnu";
        const std::size_t at = below(random, text.size() + 1);
        switch (below(random, 4)) {
            case 0: text.resize(at); break;
            case 1: text.insert(at, 1, pick(random, kBytes)); break;
            case 2: if (at < text.size()) text.erase(at, 1); break;
            default: if (at < text.size()) text[at] = pick(random, kBytes); break;
        }
    }
    return text;
}

bool same_double(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// The difference between two results, or the empty text.
std::string difference(const ReadResult& fast, const AtomStarts& fast_starts, const ReadResult& general,
                       const AtomStarts& general_starts) {
    const auto* fast_error = std::get_if<ReadError>(&fast);
    const auto* general_error = std::get_if<ReadError>(&general);
    if (fast_error || general_error) {
        if (fast_error && general_error && fast_error->message == general_error->message) return "";
        return "fast: " + (fast_error ? fast_error->message : "accepted") +
               "; general: " + (general_error ? general_error->message : "accepted");
    }
    const ClusterSpec& a = std::get<ClusterSpec>(fast);
    const ClusterSpec& b = std::get<ClusterSpec>(general);
    if (a.atoms.size() != b.atoms.size()) return "atom counts differ";
    for (std::size_t i = 0; i < a.atoms.size(); ++i) {
        const Atom& p = a.atoms[i];
        const Atom& q = b.atoms[i];
        if (p.element != q.element || !same_double(p.x, q.x) || !same_double(p.y, q.y) || !same_double(p.z, q.z)) {
            return "atom " + std::to_string(i) + " differs";
        }
    }
    if (a.charge != b.charge || a.spin_multiplicity != b.spin_multiplicity || a.ecp_elements != b.ecp_elements ||
        a.metal_oxidation_state != b.metal_oxidation_state) {
        return "other fields differ";
    }
    return fast_starts == general_starts ? "" : "atom starts differ";
}

// Reads `text` both ways: how the results differ (with the text), or the
// empty text; `accepted` counts the texts both took as a cluster.
std::string read_both_ways(const std::string& text, int& accepted) {
    AtomStarts fast_starts;
    AtomStarts general_starts;
    const ReadResult fast = spec_json::parse_spec_json_by(text, AtomPath::UsualShapeFirst, &fast_starts);
    const ReadResult general = spec_json::parse_spec_json_by(text, AtomPath::GeneralOnly, &general_starts);
    const std::string what = difference(fast, fast_starts, general, general_starts);
    accepted += what.empty() && std::holds_alternative<ClusterSpec>(fast);
    return what.empty() ? what : what + "\n    document: " + text;
}

}  // namespace

TEST(usual_atom_path_agrees_with_the_general_reader_on_generated_documents) {
    Random random(20240611);
    constexpr int kDocuments = 30000;
    int accepted = 0;
    for (int i = 0; i < kDocuments; ++i) {
        const std::string what = read_both_ways(document(random), accepted);
        if (!what.empty()) {
            ::quorv::testing::fail(__FILE__, __LINE__, what);
            return;
        }
    }
    // Both verdicts must be well represented, or the comparison says little.
    CHECK(accepted > kDocuments / 5);
    CHECK(accepted < kDocuments * 4 / 5);
}

// The comparison above would pass if the fast path refused everything: it
// must take the layouts it is there for, and give the values they spell.
TEST(usual_atom_path_takes_the_usual_layouts) {
    const char* const layouts[] = {
        R"({"element": "Fe", "x": 51.212307, "y": -0.5, "z": 12})",
        R"({"element":"Fe","x":51.212307,"y":-0.5,"z":12})",
        "{\n  \"element\": \"Fe\",\n  \"x\": 51.212307,\n  \"y\": -0.5,\n  \"z\": 12\n}",
        "{\r\n\t\"element\" : \"Fe\" ,\r\n\t\"x\" : 51.212307 ,\r\n\t\"y\" : -0.5 ,\r\n\t\"z\" : 12\r\n}",
        R"(["Fe", 51.212307, -0.5, 12])",
        R"(["Fe",51.212307,-0.5,12.0])",
        "[\n \"Fe\",\n 51.212307,\n -0.50,\n 12\n]",
    };
    for (const char* layout : layouts) {
        const std::string text = std::string(layout) + ", ";  // the atom ends where the list goes on
        std::size_t position = 0;
        Atom read;
        CHECK(spec_json::read_usual_atom(text, position, read));
        CHECK_EQ(position, text.size() - 2);
        CHECK_EQ(read.element, std::string("Fe"));
        CHECK_EQ(read.x, 51.212307);
        CHECK_EQ(read.y, -0.5);
        CHECK_EQ(read.z, 12.0);
    }
}

TEST(usual_atom_path_leaves_the_rest_to_the_general_reader) {
    const char* const unusual[] = {
        R"({"x": 1, "element": "C", "y": 2, "z": 3})",         // another order
        R"({"element": "C", "x": 1, "y": 2, "z": 3, "q": 0})", // an unlisted key
        R"({"element": "C", "x": 1, "x": 2, "z": 3})",         // a repeated key
        R"({"element": "\u0043", "x": 1, "y": 2, "z": 3})",    // an escape
        "{\"element\": \"\xC3\xA9\", \"x\": 1, \"y\": 2, \"z\": 3}",  // UTF-8
        R"({"element": "C", "x": 1e0, "y": 2, "z": 3})",       // an exponent
        R"({"element": "C", "x": 12345678901234567890, "y": 2, "z": 3})",  // 20 digits
        R"({"element": "C", "x": 01, "y": 2, "z": 3})",
        R"({"element": "C", "x": 1., "y": 2, "z": 3})",
        "{\"element\": \"C\", \"x\": 1,\f\"y\": 2, \"z\": 3}",  // a blank JSON does not have
        R"(["C", 1, 2])",
        R"(["C", 1, 2, 3, 4])",
        R"({"element": "C", "x": 1, "y": 2, "z": 3)",
    };
    for (const char* text : unusual) {
        std::size_t position = 0;
        Atom read;
        CHECK(!spec_json::read_usual_atom(text, position, read));
        CHECK_EQ(position, std::size_t{0});
    }
}

// Coordinates written as digits, a point and digits, with eight digits in
// all or about that many, are read a word at a time; the values must be the
// general reader's bit for bit, whatever follows them and however near the
// end of the text they stand.
TEST(usual_atom_path_reads_short_decimals_as_the_general_reader_does) {
    Random random(20250107);
    const char* const kTails[] = {"]}", "]}\n", "], \"charge\": 0}", "]}                                "};
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string coordinates[3];
        for (std::string& text : coordinates) {
            text.clear();
            if (chance(random, 0.5)) text += '-';
            const std::size_t integer_digits = 1 + below(random, 8);
            const std::size_t fraction_digits = 1 + below(random, 9);
            for (std::size_t d = 0; d < integer_digits; ++d) {
                // Now and then a leading zero, which only a lone zero may have.
                const bool nonzero = d == 0 && integer_digits > 1 && !chance(random, 0.05);
                text += static_cast<char>(nonzero ? '1' + below(random, 9) : '0' + below(random, 10));
            }
            text += '.';
            for (std::size_t d = 0; d < fraction_digits; ++d) text += static_cast<char>('0' + below(random, 10));
        }
        const std::string atom = chance(random, 0.5) ? "{\"element\": \"C\", \"x\": " + coordinates[0] + ", \"y\": " +
                                                           coordinates[1] + ", \"z\": " + coordinates[2] + "}"
                                                     : "[\"C\", " + coordinates[0] + ", " + coordinates[1] + ", " +
                                                           coordinates[2] + "]";
        const std::string what = read_both_ways("{\"atoms\": [" + atom + pick(random, kTails), compared);
        if (!what.empty()) {
            ::quorv::testing::fail(__FILE__, __LINE__, what);
            return;
        }
    }
    // Most are valid: only a leading zero spoils a number.
    CHECK(compared > 15000);
}
