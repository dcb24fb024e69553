// The rule sets side by side, for bench/bench_preview.py: reads cluster
// specs, one JSON text per line, and lints each with the strict and the
// preview rules, or times both on one spec.
//
//   lint_rule_sets findings SPECS.jsonl [--bond X] [--heavy-metal-bond X]
//                  [--shortfall-per-atom X] [--shortfall-in-all X]
//       one line per finding: line number, rule set, code, atoms, message,
//       separated by tabs
//   lint_rule_sets time SPEC.json|SPEC.xyz ROUNDS
//       the best time in ms of reading and linting it, and of linting it
//       alone, with each rule set
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>

#include "lib/lint.h"
#include "lib/rules/preview/preview.h"
#include "spec_json/spec_json_reader.h"
#include "xyz/xyz_reader.h"

namespace {

using quorv::ClusterSpec;
using quorv::Finding;

class Printer final : public quorv::FindingSink {
public:
    Printer(std::size_t line, std::string_view rule_set) : line_(line), rule_set_(rule_set) {}
    void accept(Finding&& finding) override {
        std::cout << line_ << '\t' << rule_set_ << '\t' << finding.code_name() << '\t';
        const auto atoms = finding.location().atoms();
        for (std::size_t i = 0; i < atoms.size(); ++i) std::cout << (i ? "," : "") << atoms[i];
        std::cout << '\t' << finding.message() << '\n';
    }

private:
    std::size_t line_;
    std::string_view rule_set_;
};

class Counter final : public quorv::FindingSink {
public:
    void accept(Finding&&) override { ++count; }
    std::size_t count = 0;
};

std::string read_all(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << path << "\n";
        std::exit(2);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

quorv::ReadResult read_spec(std::string_view path, std::string_view text) {
    return path.ends_with(".xyz") ? quorv::parse_xyz(text) : quorv::parse_spec_json(text);
}

int findings(int argc, char** argv) {
    quorv::PreviewTolerances tolerances;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        const double value = std::strtod(argv[i + 1], nullptr);
        if (option == "--bond") tolerances.bond = value;
        else if (option == "--heavy-metal-bond") tolerances.heavy_metal_bond = value;
        else if (option == "--shortfall-per-atom") tolerances.shortfall_per_atom = value;
        else if (option == "--shortfall-in-all") tolerances.shortfall_in_all = value;
        else {
            std::cerr << "unknown option " << option << "\n";
            return 2;
        }
    }
    std::ifstream in(argv[2]);
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        const quorv::ReadResult result = quorv::parse_spec_json(line);
        if (const auto* error = std::get_if<quorv::ReadError>(&result)) {
            std::cerr << "line " << number << ": " << error->message << "\n";
            return 2;
        }
        const ClusterSpec& spec = std::get<ClusterSpec>(result);
        Printer strict(number, "strict");
        quorv::lint(spec, quorv::RuleSet::Strict, strict);
        Printer preview(number, "preview");
        quorv::lint_preview(spec, tolerances, preview);
    }
    return 0;
}

template <typename Call>
double best_ms(int rounds, Call&& call) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        call();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

int time(char** argv) {
    const std::string text = read_all(argv[2]);
    const int rounds = std::atoi(argv[3]);
    const ClusterSpec spec = std::get<ClusterSpec>(read_spec(argv[2], text));
    for (const auto rules : {quorv::RuleSet::Strict, quorv::RuleSet::Preview}) {
        const std::string_view name = rules == quorv::RuleSet::Strict ? "strict" : "preview";
        Counter found;
        const double lint_only = best_ms(rounds, [&] {
            Counter counter;
            quorv::lint(spec, rules, counter);
            found = counter;
        });
        const double read_and_lint = best_ms(rounds, [&] {
            Counter counter;
            quorv::lint(std::get<ClusterSpec>(read_spec(argv[2], text)), rules, counter);
        });
        std::cout << name << '\t' << lint_only << '\t' << read_and_lint << '\t' << found.count << '\n';
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "findings" && argc >= 3) return findings(argc, argv);
    if (mode == "time" && argc == 4) return time(argv);
    std::cerr << "usage: lint_rule_sets findings SPECS.jsonl [--bond X ...] | time SPEC ROUNDS\n";
    return 2;
}
