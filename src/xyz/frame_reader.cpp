#include "xyz/frame_reader.h"

#include <algorithm>
#include <utility>

#include "text/format.h"
#include "text/utf8.h"
#include "xyz/first_frame.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kRestUndivided = "{}; the file cannot be divided into frames from line {} on";

// The 1-based line of `text` that holds byte `pos`.
std::uint64_t line_of(std::string_view text, std::size_t pos) {
    return 1 + static_cast<std::uint64_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

}  // namespace

std::string failure_text(const FrameFailure& failure) {
    if (!failure.rest_undivided || failure.index == 0) return failure.message;
    return fill(kRestUndivided, {failure.message, decimal(failure.line)});
}

void FrameReader::feed(std::string_view bytes) {
    if (finished_ || bytes.empty()) return;
    buffer_.append(bytes);
    divider_.divide(buffer_, divided_);
    hand_out();
    // Bytes before the frame being divided are done with. Dropping them once
    // they are at least half the buffer keeps the copying linear.
    if (const std::size_t done = divider_.needed_from(); done > 0 && 2 * done >= buffer_.size()) {
        buffer_.erase(0, done);
        divider_.dropped(done);
    }
}

void FrameReader::finish() {
    if (finished_) return;
    finished_ = true;
    divider_.finish(buffer_, divided_);
    hand_out();
    buffer_.clear();
    buffer_.shrink_to_fit();
}

std::optional<FramePiece> FrameReader::next() {
    if (ready_.empty()) return std::nullopt;
    FramePiece piece = std::move(ready_.front());
    ready_.pop_front();
    return piece;
}

void FrameReader::hand_out() {
    for (DividedPiece& piece : divided_) {
        if (const auto* span = std::get_if<FrameSpan>(&piece)) {
            ready_.emplace_back(FrameText{span->index, span->first_line, buffer_.substr(span->begin, span->end - span->begin),
                                          span->layout});
        } else {
            ready_.emplace_back(std::move(std::get<FrameFailure>(piece)));
        }
    }
    divided_.clear();
}

std::optional<FrameFailure> read_frame(std::string_view text, std::uint64_t index, std::uint64_t first_line,
                                       Frame& into) {
    if (const std::size_t bad = first_invalid_utf8(text); bad != std::string_view::npos) {
        return FrameFailure{index, first_line + line_of(text, bad) - 1, std::string(kNotUtf8Description), false, true};
    }
    FrameDetails details;
    details.atom_lines.swap(into.atom_lines);
    auto error = read_first_frame(text, into.spec, &details);
    into.atom_lines.swap(details.atom_lines);
    // Lines of the frame's text count from 1 at its count line.
    const auto input_line = [&](std::uint64_t line) { return first_line + line - 1; };
    if (error) return FrameFailure{index, input_line(details.failure_line), std::move(error->message), false};
    into.index = index;
    into.first_line = first_line;
    into.cell = std::move(details.cell);
    for (std::uint64_t& line : into.atom_lines) line = input_line(line);
    return std::nullopt;
}

std::optional<FrameFailure> read_frame(const FrameText& frame, Frame& into) {
    return read_frame(frame.text, frame.index, frame.first_line, into);
}

FrameResult read_frame(const FrameText& frame) {
    Frame read;
    if (auto failure = read_frame(frame, read)) return std::move(*failure);
    return read;
}

}  // namespace quorv::xyz
