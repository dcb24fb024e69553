// The frame reader's own throughput on a generated extended XYZ data set:
// 200,000 frames of small rattled molecules (water, ammonia, methane,
// methanol) with forces, energy, charge and multiplicity, about 72 MB,
// written to a temporary file and read back in 64 KiB chunks. Timed in this
// run, best of five each:
//   - reading the file alone (the baseline: what any reader pays),
//   - dividing it into frames,
//   - dividing and reading every frame (read_frame),
//   - dividing, reading and linting every frame,
//   - the command's way: divided in place, read by the usual-frame reader,
//     and linted,
// and, for comparison, parse_xyz over the same frames already split in
// memory. Peak memory is the resident set gained while dividing and reading
// the whole file.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "lib/lint.h"
#include "text/utf8.h"
#include "xyz/frame_divider.h"
#include "xyz/frame_reader.h"
#include "xyz/usual_frame.h"
#include "xyz/xyz_reader.h"
#include "seconds_of.h"

namespace {

using quorv::bench::seconds_of;

constexpr std::size_t kFrames = 200'000;
constexpr std::size_t kChunk = 64 * 1024;
constexpr int kRounds = 5;

struct Molecule {
    const char* name;
    std::vector<std::pair<const char*, std::array<double, 3>>> atoms;
};

const std::vector<Molecule>& molecules() {
    static const std::vector<Molecule> list = {
        {"water", {{"O", {0, 0, 0.119}}, {"H", {0, 0.763, -0.477}}, {"H", {0, -0.763, -0.477}}}},
        {"ammonia", {{"N", {0, 0, 0.117}}, {"H", {0, 0.940, -0.272}}, {"H", {0.814, -0.470, -0.272}},
                     {"H", {-0.814, -0.470, -0.272}}}},
        {"methane", {{"C", {0, 0, 0}}, {"H", {0.629, 0.629, 0.629}}, {"H", {-0.629, -0.629, 0.629}},
                     {"H", {0.629, -0.629, -0.629}}, {"H", {-0.629, 0.629, -0.629}}}},
        {"methanol", {{"C", {-0.047, 0.665, 0}}, {"O", {-0.047, -0.757, 0}}, {"H", {-1.086, 0.976, 0}},
                      {"H", {0.437, 1.081, 0.888}}, {"H", {0.437, 1.081, -0.888}}, {"H", {0.866, -1.087, 0}}}},
    };
    return list;
}

std::string write_data_set(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 random(7);
    std::normal_distribution<double> rattle(0.0, 0.04);
    std::uniform_real_distribution<double> force(-2.0, 2.0);
    char line[256];
    for (std::size_t frame = 0; frame < kFrames; ++frame) {
        const Molecule& molecule = molecules()[frame % molecules().size()];
        std::snprintf(line, sizeof line,
                      "%zu\nProperties=species:S:1:pos:R:3:forces:R:3 energy=%.6f charge=0 mult=1 pbc=\"F F F\"\n",
                      molecule.atoms.size(), -76.4 + rattle(random));
        out << line;
        for (const auto& [element, position] : molecule.atoms) {
            std::snprintf(line, sizeof line, "%-2s %10.6f %10.6f %10.6f %7.3f %7.3f %7.3f\n", element,
                          position[0] + rattle(random), position[1] + rattle(random), position[2] + rattle(random),
                          force(random), force(random), force(random));
            out << line;
        }
    }
    return path;
}

long resident_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    }
    return -1;
}

// Resets the peak resident set to the current one (Linux 4.0 on).
void reset_peak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Counts {
    std::size_t frames = 0;
    std::size_t failed = 0;
    std::size_t findings = 0;
};

enum class Depth { ReadOnly, Divide, ReadFrames, Lint };

Counts run(const std::string& path, Depth depth) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(kChunk);
    quorv::xyz::FrameReader reader;
    Counts counts;
    const auto handle = [&](quorv::xyz::FramePiece&& piece) {
        ++counts.frames;
        const auto* text = std::get_if<quorv::xyz::FrameText>(&piece);
        if (text == nullptr) {
            ++counts.failed;
            return;
        }
        if (depth == Depth::Divide) return;
        quorv::xyz::FrameResult result = quorv::xyz::read_frame(*text);
        const auto* frame = std::get_if<quorv::xyz::Frame>(&result);
        if (frame == nullptr) {
            ++counts.failed;
            return;
        }
        if (depth != Depth::Lint) return;
        quorv::FindingList findings;
        quorv::lint(frame->spec, frame->cell, findings);
        counts.findings += findings.findings.size();
    };
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        if (depth == Depth::ReadOnly) continue;
        reader.feed(std::string_view(chunk.data(), got));
        while (auto piece = reader.next()) handle(std::move(*piece));
    }
    reader.finish();
    while (auto piece = reader.next()) handle(std::move(*piece));
    return counts;
}

// The command's way: each chunk appended to a buffer the divider hands out
// spans of, and each frame read by a UsualFrameReader (read_frame for any
// frame it does not take), then linted when `lint` is set.
Counts run_usual(const std::string& path, bool lint) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(kChunk);
    quorv::xyz::FrameDivider divider;
    quorv::xyz::UsualFrameReader usual;
    quorv::xyz::Frame frame;
    std::string buffer;
    std::vector<quorv::xyz::DividedPiece> pieces;
    Counts counts;
    const auto handle_pieces = [&] {
        // The usual reader takes ASCII text alone: what dividing saw of it, else a check per frame.
        const bool ascii = divider.ascii_before(divider.needed_from());
        for (const quorv::xyz::DividedPiece& piece : pieces) {
            ++counts.frames;
            const auto* span = std::get_if<quorv::xyz::FrameSpan>(&piece);
            if (span == nullptr) {
                ++counts.failed;
                continue;
            }
            const std::string_view text = std::string_view(buffer).substr(span->begin, span->end - span->begin);
            const bool usual_read =
                (ascii || quorv::is_ascii(text)) && usual.read(text, span->layout, span->index, span->first_line, frame);
            if (!usual_read &&
                quorv::xyz::read_frame(text, span->index, span->first_line, frame)) {
                ++counts.failed;
                continue;
            }
            if (!lint) continue;
            quorv::FindingList findings;
            quorv::lint(frame.spec, frame.cell, findings);
            counts.findings += findings.findings.size();
        }
        pieces.clear();
        const std::size_t done = divider.needed_from();
        buffer.erase(0, done);
        divider.dropped(done);
    };
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        buffer.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        divider.divide(buffer, pieces);
        handle_pieces();
    }
    divider.finish(buffer, pieces);
    handle_pieces();
    return counts;
}

}  // namespace

int main() {
    const std::string path = write_data_set((std::filesystem::temp_directory_path() / ("quorv_bench_frames_" + std::to_string(::getpid()) + ".xyz")).string());
    std::ifstream probe(path, std::ios::binary | std::ios::ate);
    const double megabytes = static_cast<double>(probe.tellg()) / 1e6;
    std::printf("data set: %zu frames, %.1f MB of extended XYZ, read in %zu KiB chunks\n", kFrames, megabytes,
                kChunk / 1024);

    const long before = resident_kib("VmRSS:");
    reset_peak();
    const Counts counts = run(path, Depth::ReadFrames);
    const long peak = resident_kib("VmHWM:");
    std::printf("frames: %zu, failed: %zu; peak memory gained while reading: %.1f MB (resident before: %.1f MB)\n",
                counts.frames, counts.failed, static_cast<double>(peak - before) / 1024, static_cast<double>(before) / 1024);

    // The same frames split in memory beforehand, for the single-frame reader.
    std::vector<std::string> texts;
    {
        quorv::xyz::FrameReader reader;
        std::ifstream in(path, std::ios::binary);
        const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        reader.feed(all);
        reader.finish();
        while (auto piece = reader.next()) texts.push_back(std::move(std::get<quorv::xyz::FrameText>(*piece).text));
    }

    // The calls alternate, so that other work on the machine slows all alike.
    Counts linted;
    std::size_t parsed = 0;
    Counts usual_linted;
    double read_only = 1e300, divide = 1e300, read_frames = 1e300, lint = 1e300, parse_alone = 1e300;
    double usual_read = 1e300, usual_lint = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        read_only = std::min(read_only, seconds_of([&] { run(path, Depth::ReadOnly); }));
        divide = std::min(divide, seconds_of([&] { run(path, Depth::Divide); }));
        read_frames = std::min(read_frames, seconds_of([&] { run(path, Depth::ReadFrames); }));
        lint = std::min(lint, seconds_of([&] { linted = run(path, Depth::Lint); }));
        usual_read = std::min(usual_read, seconds_of([&] { run_usual(path, false); }));
        usual_lint = std::min(usual_lint, seconds_of([&] { usual_linted = run_usual(path, true); }));
        parse_alone = std::min(parse_alone, seconds_of([&] {
                                   parsed = 0;
                                   for (const std::string& text : texts) {
                                       parsed += std::holds_alternative<quorv::ClusterSpec>(quorv::parse_xyz(text));
                                   }
                               }));
    }
    ::unlink(path.c_str());

    const auto line = [&](const char* what, double seconds) {
        std::printf("%-44s %8.1f ms  %10.0f frames/s  %7.1f MB/s\n", what, seconds * 1e3,
                    static_cast<double>(kFrames) / seconds, megabytes / seconds);
    };
    line("reading the file (baseline)", read_only);
    line("dividing into frames", divide);
    line("dividing and reading every frame", read_frames);
    line("dividing, reading and linting every frame", lint);
    line("divided in place, read the usual way", usual_read);
    line("the same, and linted", usual_lint);
    line("parse_xyz on the frames split in memory", parse_alone);
    std::printf("findings: %zu (the usual way: %zu); frames parse_xyz read: %zu\n", linted.findings,
                usual_linted.findings, parsed);
    std::printf("dividing and reading / parse_xyz alone: %.2fx the time\n", read_frames / parse_alone);
    std::printf("dividing / reading the file: %.2fx the time\n", divide / read_only);
    return 0;
}
