// The JSON reader alone, outside Python: parse time per atom with the fast
// path for atoms of the usual shape, with the general reader alone (the
// baseline, timed in the same run), and with the atoms' lines as well.
//
//   spec_json_reader_bench FILE [REPEATS]      best of REPEATS (default 30) each
//   spec_json_reader_bench FILE --once PATH    one parse (PATH: usual, general
//                                              or lines), for callgrind
//   spec_json_reader_bench FILE --once lint    one parse and one lint, as
//                                              lint_json makes them
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <variant>

#include "lib/lint.h"
#include "spec_json/spec_json_reader.h"

using namespace quorv;

namespace {

struct Way {
    const char* name;
    spec_json::AtomPath path;
    bool with_lines;
};

constexpr Way kWays[] = {
    {"usual", spec_json::AtomPath::UsualShapeFirst, false},
    {"general", spec_json::AtomPath::GeneralOnly, false},
    {"lines", spec_json::AtomPath::UsualShapeFirst, true},
};

// The atom count, or -1 when the text is not a cluster spec.
long parse_once(std::string_view text, const Way& way) {
    AtomStarts starts;
    ReadResult result = spec_json::parse_spec_json_by(text, way.path, way.with_lines ? &starts : nullptr);
    const auto* spec = std::get_if<ClusterSpec>(&result);
    if (spec == nullptr) {
        std::fprintf(stderr, "%s\n", std::get<ReadError>(result).message.c_str());
        return -1;
    }
    return static_cast<long>(spec->atoms.size());
}

// What lint_json does below Python: the findings count, or -1.
long parse_and_lint_once(std::string_view text) {
    ReadResult result = parse_spec_json(text);
    const auto* spec = std::get_if<ClusterSpec>(&result);
    if (spec == nullptr) return -1;
    return static_cast<long>(lint(*spec).size());
}

double seconds_of(std::string_view text, const Way& way) {
    const auto start = std::chrono::steady_clock::now();
    parse_once(text, way);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [REPEATS | --once usual|general|lines|lint]\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (argc == 4 && std::string_view(argv[2]) == "--once") {
        if (std::string_view(argv[3]) == "lint") return parse_and_lint_once(text) < 0 ? 1 : 0;
        for (const Way& way : kWays) {
            if (std::string_view(argv[3]) == way.name) return parse_once(text, way) < 0 ? 1 : 0;
        }
        std::fprintf(stderr, "unknown path %s\n", argv[3]);
        return 2;
    }
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 30;
    const long atoms = parse_once(text, kWays[0]);
    if (atoms <= 0) return 1;
    const double megabytes = static_cast<double>(text.size()) / 1e6;
    std::printf("%ld atoms, %.1f MB, best of %d parses each, taken in turns\n", atoms, megabytes, repeats);
    // The ways take turns, so that a busy spell on the machine slows all alike.
    double seconds[std::size(kWays)];
    std::fill(std::begin(seconds), std::end(seconds), 1e300);
    for (int repeat = 0; repeat < repeats; ++repeat) {
        for (std::size_t i = 0; i < std::size(kWays); ++i) {
            seconds[i] = std::min(seconds[i], seconds_of(text, kWays[i]));
        }
    }
    for (std::size_t i = 0; i < std::size(kWays); ++i) {
        std::printf("  %-8s %8.2f ms  %6.1f ns/atom  %7.1f MB/s\n", kWays[i].name, seconds[i] * 1e3,
                    seconds[i] * 1e9 / static_cast<double>(atoms), megabytes / seconds[i]);
    }
    std::printf("usual-shape path is %.2fx faster than the general reader alone\n", seconds[1] / seconds[0]);
    return 0;
}
