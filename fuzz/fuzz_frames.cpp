// Any bytes through the frame reader, fed in chunks of random sizes. The
// first byte seeds the chunk sizes; the rest is the text. Checks that:
//  - the frames come out numbered 0, 1, 2, ... with nothing lost, a failure
//    that leaves the rest undivided only last (frames in = read + failed);
//  - however the bytes are chunked, the frames and failures are the same;
//  - a frame whose bytes are not all UTF-8 fails as such;
//  - any other frame whose comment line has no extended keys reads and
//    lints exactly as parse_xyz and lint do on that frame's text alone, and
//    a periodic one lints without a fault;
//  - a frame that the quick reader of usual frames takes (with what it
//    remembers from the frames before) reads exactly as read_frame reads it.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "lib/lint.h"
#include "text/utf8.h"
#include "xyz/extended_keys.h"
#include "xyz/frame_reader.h"
#include "xyz/usual_frame.h"
#include "xyz/xyz_reader.h"

namespace {

// Keep the rules' geometry (and the pairwise comparisons) within a fuzzing budget.
constexpr std::size_t kMostAtomsToLint = 2000;

void require(bool condition) {
    if (!condition) std::abort();
}

std::vector<quorv::xyz::FramePiece> divide(std::string_view text, std::uint8_t seed) {
    quorv::xyz::FrameReader reader;
    std::vector<quorv::xyz::FramePiece> pieces;
    std::uint32_t state = seed * 2654435761u + 1;
    std::size_t at = 0;
    while (at < text.size()) {
        state = state * 1103515245u + 12345u;
        // Mostly short chunks, so that lines and line ends are cut everywhere.
        const std::size_t chunk = seed == 0 ? text.size() : 1 + (state >> 16) % ((state & 0x100) != 0 ? 64 : 4);
        reader.feed(text.substr(at, chunk));
        at += chunk;
        while (auto piece = reader.next()) pieces.push_back(std::move(*piece));
    }
    reader.finish();
    while (auto piece = reader.next()) pieces.push_back(std::move(*piece));
    return pieces;
}

std::string describe(const quorv::xyz::FramePiece& piece) {
    if (const auto* text = std::get_if<quorv::xyz::FrameText>(&piece)) {
        return "T" + std::to_string(text->index) + "@" + std::to_string(text->first_line) + ":" + text->text;
    }
    const auto& failure = std::get<quorv::xyz::FrameFailure>(piece);
    return "F" + std::to_string(failure.index) + "@" + std::to_string(failure.line) + ":" +
           quorv::xyz::failure_text(failure);
}

// The comment line: the text's second line.
std::string_view comment_line(std::string_view text) {
    const std::size_t first = text.find('\n');
    if (first == std::string_view::npos) return {};
    const std::size_t second = text.find('\n', first + 1);
    return text.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
}

// Whether the frame reader finds one of the keys that change a frame (its
// own scan decides: quotes and brackets may hide or join a key's letters).
bool has_extended_keys(std::string_view comment) {
    quorv::xyz::ExtendedKeys keys;
    quorv::xyz::find_extended_keys(comment, keys);
    return keys.properties || keys.lattice || keys.pbc;
}

std::string rendered(const std::vector<quorv::Finding>& findings) {
    std::string text;
    for (const quorv::Finding& finding : findings) text += std::string(finding.code_name()) + finding.message() + "\n";
    return text;
}

// Everything a frame read holds, to the last bit.
std::string described(const quorv::xyz::Frame& frame) {
    std::string text = std::to_string(frame.index) + "@" + std::to_string(frame.first_line) + " " +
                       (frame.spec.charge ? std::to_string(*frame.spec.charge) : "-") + "/" +
                       (frame.spec.spin_multiplicity ? std::to_string(*frame.spec.spin_multiplicity) : "-");
    if (frame.cell) {
        for (std::size_t axis = 0; axis < frame.cell->periodic_count(); ++axis) {
            for (const double component : frame.cell->lattice_vector(axis)) {
                text += ' ';
                text += std::to_string(std::bit_cast<std::uint64_t>(component));
            }
        }
    }
    for (std::size_t i = 0; i < frame.spec.atoms.size(); ++i) {
        const quorv::Atom& atom = frame.spec.atoms[i];
        text += "\n" + atom.element;
        for (const double coordinate : {atom.x, atom.y, atom.z}) {
            text += ' ';
            text += std::to_string(std::bit_cast<std::uint64_t>(coordinate));
        }
        text += i < frame.atom_lines.size() ? " @" + std::to_string(frame.atom_lines[i]) : " @?";
    }
    return text;
}

void check_usual_frame(const quorv::xyz::FrameText& text, const quorv::xyz::FrameResult& result,
                       quorv::xyz::UsualFrameReader& usual) {
    if (!quorv::is_ascii(text.text)) return;
    quorv::xyz::Frame quick;
    if (!usual.read(text.text, text.layout, text.index, text.first_line, quick)) return;
    const auto* frame = std::get_if<quorv::xyz::Frame>(&result);
    require(frame != nullptr && described(quick) == described(*frame));
}

void check_frame(const quorv::xyz::FrameText& text, quorv::xyz::UsualFrameReader& usual) {
    const quorv::xyz::FrameResult result = quorv::xyz::read_frame(text);
    check_usual_frame(text, result, usual);
    if (const auto* failure = std::get_if<quorv::xyz::FrameFailure>(&result)) {
        require(!failure->message.empty() && failure->line >= text.first_line && failure->index == text.index);
    }
    // The command reads files, whose bytes may be anything; parse_xyz is
    // given text, which the module has checked already.
    if (!quorv::is_valid_utf8(text.text)) {
        const auto* failure = std::get_if<quorv::xyz::FrameFailure>(&result);
        require(failure != nullptr && failure->not_utf8);
        return;
    }
    if (has_extended_keys(comment_line(text.text))) {
        if (const auto* frame = std::get_if<quorv::xyz::Frame>(&result)) {
            if (frame->spec.atoms.size() > kMostAtomsToLint) return;
            quorv::FindingList findings;
            quorv::lint(frame->spec, frame->cell, findings);
        }
        return;
    }
    const quorv::ReadResult alone = quorv::parse_xyz(text.text);
    if (const auto* error = std::get_if<quorv::ReadError>(&alone)) {
        const auto* failure = std::get_if<quorv::xyz::FrameFailure>(&result);
        require(failure != nullptr && failure->message == error->message);
        return;
    }
    const auto* frame = std::get_if<quorv::xyz::Frame>(&result);
    require(frame != nullptr && !frame->cell && frame->atom_lines.size() == frame->spec.atoms.size());
    const auto& spec = std::get<quorv::ClusterSpec>(alone);
    if (spec.atoms.size() > kMostAtomsToLint) return;
    require(rendered(quorv::lint(frame->spec)) == rendered(quorv::lint(spec)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto pieces = divide(text, data[0]);
    const auto whole = divide(text, 0);
    // One for the whole input, so that what it remembers carries from frame to frame.
    quorv::xyz::UsualFrameReader usual;
    require(pieces.size() == whole.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        require(describe(pieces[i]) == describe(whole[i]));
        const auto* failure = std::get_if<quorv::xyz::FrameFailure>(&pieces[i]);
        const std::uint64_t index = failure != nullptr ? failure->index : std::get<quorv::xyz::FrameText>(pieces[i]).index;
        require(index == i);
        // Nothing follows the point from which the text could not be divided.
        require(failure == nullptr || !failure->rest_undivided || i + 1 == pieces.size());
        if (const auto* frame = std::get_if<quorv::xyz::FrameText>(&pieces[i])) check_frame(*frame, usual);
    }
    return 0;
}
