#include "cli/xyz_input.h"

#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "cli/frame_relay.h"
#include "cli/input_reader.h"
#include "cli/regular_file_end.h"
#include "cli/text_block.h"
#include "front/file_reading.h"
#include "text/utf8.h"
#include "text/white_space.h"
#include "xyz/frame_divider.h"

namespace quorv::cli {

namespace {

// What the first reads take before the input is divided: an input that
// ends within it (a file of a molecule, a few frames) is linted at once by
// the thread reading it; a larger one goes to the relay of reading threads.
constexpr std::size_t kFirstBlockBytes = 256 * 1024;

// Batches a reading thread keeps in flight per helper (and for itself):
// enough to keep every thread busy while the reading goes round.
constexpr std::size_t kBatchesInFlightPerThread = 2;

// Each reading thread reads frames into storage of its own, kept from input to input.
FrameScratch& thread_scratch() {
    thread_local FrameScratch scratch;
    return scratch;
}

// The input's first block: read until it is full or the input ends.
struct FirstBlock {
    bool whole = false;                 // the input ended within it
    std::optional<int> read_error;      // a read failed (what was read is linted all the same)
};

FirstBlock read_first_block(const OpenedInput& opened, TextBlock& text) {
    RegularFileEnd file_end(opened.is_regular_file() ? static_cast<std::uint64_t>(opened.info.st_size) : 0);
    while (text.size() < kFirstBlockBytes) {
        const std::size_t wanted = kFirstBlockBytes - text.size();
        auto read = front::read_some(opened.fd, text.room(wanted), wanted, nullptr);
        if (const auto* failure = std::get_if<front::ReadFailure>(&read)) return {true, failure->error_number};
        const std::size_t got = std::get<std::size_t>(read);
        if (got == 0) return {true, std::nullopt};
        text.grew(got);
        if (file_end.reached_after(got, wanted)) return {true, std::nullopt};
    }
    return {};
}

// A whole input of one usual frame (followed by blank lines at most), read
// and linted as dividing it would have; false, with nothing done, for any
// other input.
bool lint_as_one_frame(std::string_view text, const FrameLinting& linting, FrameScratch& scratch,
                       InputEvents& events, FrameCounts& counts) {
    const auto layout = xyz::first_frame_layout(text);
    if (!layout || !is_ascii(text) || may_carry_noqa(text, *layout)) return false;
    std::size_t end = 0;
    if (!scratch.usual.read(text, *layout, 0, 1, scratch.frame, &end) || skip_white_space(text, end) != text.size()) {
        return false;
    }
    try {
        lint_read_frame(scratch.frame, std::nullopt, linting, events, counts);
    } catch (...) {
        report_frame_exception(xyz::FrameSpan{0, 1, 0, end, *layout}, events, counts);
    }
    return true;
}

// An input read whole in its first block: divided and linted here, with no
// batch made for it.
FrameCounts lint_whole(std::string_view text, const FrameLinting& linting, FrameScratch& scratch,
                       InputEvents& events) {
    FrameCounts counts;
    if (lint_as_one_frame(text, linting, scratch, events, counts)) return counts;
    xyz::FrameDivider divider;
    std::vector<xyz::DividedPiece> pieces;
    divider.finish(text, pieces);
    const bool ascii = divider.ascii_before(text.size());
    for (const xyz::DividedPiece& piece : pieces) {
        try {
            lint_frame_piece(text, ascii, piece, linting, scratch, events, counts);
        } catch (...) {
            report_frame_exception(piece, events, counts);
        }
    }
    return counts;
}

}  // namespace

InputOutcome lint_xyz_input(Input& input, const RunSettings& run, InputReport& report, std::string& /*buffer*/,
                            FramePool& frames) {
    auto opening = open_input(input);
    if (auto* problem = std::get_if<InputProblem>(&opening)) return report_problem(report, std::move(*problem));
    const OpenedInput& opened = std::get<OpenedInput>(opening);
    const FileSettings& settings = *input.settings;
    const FrameLinting linting{settings.codes_for(input.absolute_path), settings.rules, run.warn_unused_noqa,
                               input.path};
    FrameScratch& scratch = thread_scratch();

    TextBlock text = std::move(scratch.kept_block);
    text.clear();
    const FirstBlock first = read_first_block(opened, text);
    FrameCounts counts;
    std::optional<int> read_error = first.read_error;
    std::optional<std::string> failure;
    if (first.whole) {
        counts = lint_whole(text.view(), linting, scratch, report);
        scratch.kept_block = std::move(text);
    } else {
        xyz::FrameDivider divider;
        std::vector<xyz::DividedPiece> pieces;
        divider.divide(text.view(), pieces);
        // What is left of a regular file, as large as it was when opened.
        const auto size = static_cast<std::uint64_t>(opened.info.st_size);
        const std::uint64_t regular_size = opened.is_regular_file() && size > text.size() ? size - text.size() : 0;
        const std::size_t most_in_flight = kBatchesInFlightPerThread * (frames.helpers() + 1);
        auto relay = std::make_shared<FrameRelay>(linting, RelaySource{opened.fd, regular_size}, most_in_flight,
                                                  std::move(text), std::move(divider), std::move(pieces));
        RelayEnd end = relay->run(frames, report, scratch);
        counts = end.counts;
        read_error = end.read_error;
        failure = std::move(end.failure);
        scratch.kept_block = relay->take_spare_block();
    }
    scratch.trim();
    report.frames(counts);
    if (read_error) return report_problem(report, os_failure(input, *read_error));
    if (failure) return report_problem(report, {InputProblem::Kind::Failure, std::move(*failure), false, {}});
    return counts.linted != 0 ? InputOutcome::Linted : InputOutcome::Failed;
}

}  // namespace quorv::cli
