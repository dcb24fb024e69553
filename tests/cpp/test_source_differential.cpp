// The conformer-seed checker against a plain, literal reimplementation of its
// rules (quadratic, but obviously right) over generated and adversarial texts.
#include "check.h"
#include "lib/finding.h"
#include "text/format.h"
#include "text/white_space.h"
#include "source/seed_checker.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace quorv;

namespace reference {

bool is_identifier(std::string_view text) {
    if (text.empty()) return false;
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!letter(text[0])) return false;
    return std::all_of(text.begin(), text.end(), [&](char c) { return letter(c) || digit(c); });
}

std::string_view after_first_equals(std::string_view text) {
    const std::size_t equals = text.find('=');
    return equals == std::string_view::npos ? text : text.substr(equals + 1);
}

bool explicitly_random(std::string_view argument_text) {
    std::string_view rest = argument_text.substr(argument_text.find("randomSeed") + 10);
    rest = after_first_equals(rest);
    std::size_t start = 0;
    while (std::size_t blank = white_space_at(rest, start)) start += blank;
    rest = rest.substr(start);
    if (rest.empty()) return false;
    std::string number;
    std::size_t pos = 0;
    if (rest[0] == '+' || rest[0] == '-') number += rest[pos++];
    while (pos < rest.size() && rest[pos] >= '0' && rest[pos] <= '9') number += rest[pos++];
    // Parse literally: sign, digits, 64-bit range.
    bool negative = false;
    std::size_t digit = 0;
    if (!number.empty() && (number[0] == '+' || number[0] == '-')) negative = number[digit++] == '-';
    if (digit == number.size()) return false;
    std::uint64_t magnitude = 0;
    for (; digit < number.size(); ++digit) {
        const auto next = static_cast<std::uint64_t>(number[digit] - '0');
        if (magnitude > (UINT64_MAX - next) / 10) return false;  // far outside the 64-bit range
        magnitude = magnitude * 10 + next;
    }
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    if (magnitude > limit) return false;
    return negative && magnitude == 1;
}

bool names_seeded_object(std::string_view source, std::string_view argument_text) {
    std::vector<std::string_view> pieces;
    long depth = 0;
    std::size_t piece_begin = 0;
    for (std::size_t i = 0; i < argument_text.size(); ++i) {
        const char c = argument_text[i];
        if (c == '(' || c == '[' || c == '{') ++depth;
        if (c == ')' || c == ']' || c == '}') --depth;
        if (c == ',' && depth == 0) {
            pieces.push_back(argument_text.substr(piece_begin, i - piece_begin));
            piece_begin = i + 1;
        }
    }
    pieces.push_back(argument_text.substr(piece_begin));
    for (std::string_view piece : pieces) {
        std::string_view value = trim_white_space(after_first_equals(trim_white_space(piece)));
        if (is_identifier(value) && source.find(fill("{}.randomSeed", {value})) != std::string_view::npos) return true;
    }
    return false;
}

std::vector<Finding> lint(std::string_view source) {
    std::vector<Finding> findings;
    for (std::string_view name : {std::string_view("EmbedMolecule"), std::string_view("EmbedMultipleConfs")}) {
        const std::string pattern = fill("{}(", {name});
        std::size_t search = 0;
        for (std::size_t match; (match = source.find(pattern, search)) != std::string_view::npos;) {
            const std::size_t open = match + name.size();
            search = open + 1;
            const std::uint64_t line = 1 + static_cast<std::uint64_t>(std::count(source.begin(), source.begin() + static_cast<long>(match), '\n'));
            long depth = 0;
            std::size_t close = source.size();
            for (std::size_t i = open; i < source.size(); ++i) {
                if (source[i] == '(') ++depth;
                if (source[i] == ')' && --depth == 0) {
                    close = i;
                    break;
                }
            }
            const std::string_view argument_text = source.substr(open + 1, close - open - 1);
            if (argument_text.find("randomSeed") != std::string_view::npos) {
                if (explicitly_random(argument_text)) {
                    findings.push_back(make_line_finding(messages::kConformerExplicitRandom, line, name));
                }
            } else if (!names_seeded_object(source, argument_text)) {
                findings.push_back(make_line_finding(messages::kConformerNoSeed, line, name));
            }
        }
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.severity() < b.severity(); });
    return findings;
}

}  // namespace reference

namespace {

std::string describe(const std::vector<Finding>& findings) {
    std::ostringstream out;
    out << findings.size() << " findings";
    for (const Finding& f : findings) out << "\n  [" << severity_text(f.severity()) << " " << f.code_name() << "] " << f.message();
    return out.str();
}

bool same_findings(const std::vector<Finding>& a, const std::vector<Finding>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Finding& x, const Finding& y) {
        return x.code() == y.code() && x.message() == y.message() && x.location().line() == y.location().line();
    });
}

// Returns false (and reports the text) when the two implementations differ.
bool agree_on(const std::string& source) {
    const auto fast = lint_python_source(source);
    const auto plain = reference::lint(source);
    if (same_findings(fast, plain)) return true;
    std::ostringstream what;
    what << "checker and reference differ on text (" << source.size() << " bytes):\n"
         << source.substr(0, 400) << "\nchecker: " << describe(fast) << "\nreference: " << describe(plain);
    ::quorv::testing::fail(__FILE__, __LINE__, what.str());
    return false;
}

// Fragments that exercise every rule, glued together at random: names and
// near-misses, the keyword, delimiters of every kind, numbers, identifiers and
// attributes, Unicode blanks, and stray or cut UTF-8 bytes.
const std::vector<std::string> kFragments = {
    "EmbedMolecule(", "EmbedMultipleConfs(", "AllChem.EmbedMolecule(", "MyEmbedMolecule(", "EmbedMolecule (",
    "EmbedMolecule", "EmbedMultipleConfs", "(", "(", ")", ")", "[", "]", "{", "}", ",", ",", ",", "=", "=", "==",
    "randomSeed", "randomSeed", "randomSeed=", "randomSeed =", "-1", "-1", "-01", "-0001", "-1.5", "+1", "1", "0",
    "-10", "-", "+", "-9223372036854775808", "-9223372036854775809", "18446744073709551617", "42", "p", "ps",
    "params", "_p", "p1", "1p", "mol", "x", "p.randomSeed", "ps.randomSeed", "params.randomSeed", ".randomSeed",
    "my_params.randomSeed", "p .randomSeed", ".", " ", " ", "  ", "\t", "\n", "\n", "\r\n", "\r", "\xC2\xA0",
    "\xE2\x80\x80", "\xE3\x80\x80", "\xE2\x80\xAF", "\xC2\x85", "\xE2\x80", "\xC2", "\xE3", "\xF0", "\xF4\x8F",
    "\x80", "\xBF", "\xEF\xBB\xBF", "#", "'", "\"", "\\", "\xC3\xA9", "\xCE\xB1", "\xE2\x80\x94", "\0"};

std::string random_text(std::mt19937& random, std::size_t fragment_count) {
    std::uniform_int_distribution<std::size_t> pick(0, kFragments.size() - 1);
    std::string text;
    for (std::size_t i = 0; i < fragment_count; ++i) text += kFragments[pick(random)];
    return text;
}

std::string repeat(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

}  // namespace

TEST(source_checker_matches_reference_on_random_texts) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> length(0, 60);
    int disagreements = 0;
    for (int round = 0; round < 30000 && disagreements < 3; ++round) {
        if (!agree_on(random_text(random, length(random)))) ++disagreements;
    }
    CHECK_EQ(disagreements, 0);
}

TEST(source_checker_matches_reference_on_random_bytes) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 80);
    int disagreements = 0;
    for (int round = 0; round < 5000 && disagreements < 3; ++round) {
        std::string text = "EmbedMolecule(";
        const std::size_t n = length(random);
        for (std::size_t i = 0; i < n; ++i) text += static_cast<char>(byte(random));
        if (!agree_on(text)) ++disagreements;
    }
    CHECK_EQ(disagreements, 0);
}

TEST(source_checker_matches_reference_on_adversarial_texts) {
    const std::vector<std::string> texts = {
        "",
        repeat("EmbedMolecule(", 300),
        repeat("EmbedMolecule(", 300) + repeat(")", 300),
        repeat("EmbedMolecule(", 200) + repeat(")", 100),
        repeat("EmbedMolecule(]", 200) + "(" + repeat(",p", 200) + "\np.randomSeed",
        repeat("EmbedMolecule(]", 200) + "(" + repeat(",q", 200) + "\np.randomSeed",
        repeat("EmbedMolecule(]", 100) + "(" + repeat(", p ,x=(", 50) + "p.randomSeed",
        repeat("EmbedMultipleConfs(a, ", 200) + repeat("), ", 200) + "a.randomSeed",
        repeat("EmbedMolecule(x, ", 200) + "randomSeed=" + repeat(" ", 300) + "-0001" + repeat(")", 200),
        repeat("EmbedMolecule(", 200) + "randomSeed" + repeat(" ", 300),
        repeat("EmbedMolecule(", 200) + "randomSeed" + repeat(",x", 100) + "=-1",
        repeat("EmbedMolecule(randomSeed=", 100) + "-1",
        repeat("EmbedMolecule(p=", 100) + "p" + repeat(")", 50) + "\np.randomSeed",
        repeat("EmbedMolecule(\xC2\xA0p\xE2\x80\x80,", 100) + "p.randomSeed",
        repeat("EmbedMolecule(\xE3=p\xF0,", 100) + "p.randomSeed",
        repeat("EmbedMolecule(\xF0=p\t,", 100) + "p.randomSeed",
        repeat("EmbedMolecule({[(,p,)]}, ", 100) + "p.randomSeed",
        repeat("EmbedMolecule(", 100) + repeat("]", 150) + repeat(",p", 50) + "p.randomSeed",
        repeat("a.randomSeed b_a.randomSeed ", 20) + repeat("EmbedMolecule(a) EmbedMolecule(b) EmbedMolecule(_a)\n", 30),
        repeat("EmbedMolecule(\n", 100) + repeat("\r\n)", 100),
    };
    int disagreements = 0;
    for (const std::string& text : texts) {
        if (!agree_on(text)) ++disagreements;
    }
    CHECK_EQ(disagreements, 0);
}

TEST(source_checker_handles_pathological_texts) {
    constexpr std::size_t kCalls = 100000;
    CHECK_EQ(lint_python_source(repeat("EmbedMolecule(", kCalls)).size(), kCalls);
    CHECK_EQ(lint_python_source(repeat("EmbedMolecule(", kCalls) + repeat(")", kCalls)).size(), kCalls);
    // Every call shares one long argument list whose pieces name no seeded object...
    const std::string shared = repeat("EmbedMolecule(]", kCalls) + "(" + repeat(",q", kCalls);
    CHECK_EQ(lint_python_source(shared).size(), kCalls);
    // ...or one that does.
    CHECK_EQ(lint_python_source(shared + "\nq.randomSeed = 7").size(), std::size_t{0});
    // Every call reads the same long run of blanks after the keyword.
    const std::string blanks = repeat("EmbedMolecule(", kCalls) + "randomSeed=" + repeat(" ", kCalls) + "-1";
    CHECK_EQ(lint_python_source(blanks).size(), kCalls);
}
