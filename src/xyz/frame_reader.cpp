#include "xyz/frame_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "text/format.h"
#include "text/integers.h"
#include "text/utf8.h"
#include "text/white_space.h"
#include "xyz/first_frame.h"
#include "xyz/xyz_reader.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kRestUndivided = "{}; the file cannot be divided into frames from line {} on";

bool is_blank(std::string_view line) { return skip_white_space(line, 0) == line.size(); }

// The error text the single-frame reader gives for a text; empty when it reads.
std::string reader_error(std::string_view text) {
    const ReadResult result = parse_xyz(text);
    const auto* error = std::get_if<ReadError>(&result);
    return error != nullptr ? error->message : std::string();
}

// The 1-based line of `text` that holds byte `pos`.
std::uint64_t line_of(std::string_view text, std::size_t pos) {
    return 1 + static_cast<std::uint64_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

FrameFailure not_utf8(std::uint64_t index, std::uint64_t line, bool rest_undivided) {
    return FrameFailure{index, line, std::string(kNotUtf8Description), rest_undivided, true};
}

}  // namespace

std::string failure_text(const FrameFailure& failure) {
    if (!failure.rest_undivided || failure.index == 0) return failure.message;
    return fill(kRestUndivided, {failure.message, decimal(failure.line)});
}

void FrameReader::feed(std::string_view bytes) {
    if (finished_ || bytes.empty()) return;
    buffer_.append(bytes);
    divide();
    // Bytes before the frame being divided are done with. Dropping them once
    // they are at least half the buffer keeps the copying linear.
    if (frame_begin_ > 0 && 2 * frame_begin_ >= buffer_.size()) {
        buffer_.erase(0, frame_begin_);
        scanned_ -= frame_begin_;
        searched_ -= frame_begin_;
        frame_begin_ = 0;
    }
}

void FrameReader::finish() {
    if (finished_) return;
    finished_ = true;
    // The last line needs no line feed; a carriage return at its end stays in it.
    if (scanned_ < buffer_.size()) take_line(scanned_, buffer_.size(), buffer_.size());
    scanned_ = buffer_.size();
    if (state_ == State::Comment || state_ == State::Atoms) {
        // The input ended inside a frame: its text reads as one that ends too soon.
        end_frame(buffer_.size());
    } else if (state_ == State::FirstCountLine) {
        ready_.push_back(FrameFailure{frames_++, 1, reader_error({}), false});
    }
    if (undivided_) ready_.push_back(*std::exchange(undivided_, std::nullopt));
    buffer_.clear();
    buffer_.shrink_to_fit();
}

std::optional<FramePiece> FrameReader::next() {
    if (ready_.empty()) return std::nullopt;
    FramePiece piece = std::move(ready_.front());
    ready_.pop_front();
    return piece;
}

void FrameReader::divide() {
    const char* data = buffer_.data();
    // A line that spans many chunks is searched for its end only once.
    searched_ = std::max(searched_, scanned_);
    while (searched_ < buffer_.size()) {
        const void* found = std::memchr(data + searched_, '\n', buffer_.size() - searched_);
        if (found == nullptr) {
            searched_ = buffer_.size();
            return;
        }
        const auto line_feed = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        take_line(scanned_, line_feed, line_feed + 1);
        scanned_ = searched_ = line_feed + 1;
    }
}

// The line is buffer_[begin, content_end), its line end up to `end`.
void FrameReader::take_line(std::size_t begin, std::size_t content_end, std::size_t end) {
    ++line_;
    std::string_view line(buffer_.data() + begin, content_end - begin);
    // A carriage return is part of the line end only just before a line feed.
    if (content_end < end && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    switch (state_) {
        case State::Between:
            if (is_blank(line)) return drop_through(end);
            [[fallthrough]];
        case State::FirstCountLine: return start_frame(line, begin, end);
        case State::Comment:
            if (declared_ == 0) {
                end_frame(end);
            } else {
                state_ = State::Atoms;
            }
            return;
        case State::Atoms:
            if (!is_blank(line) && ++atoms_ == declared_) end_frame(end);
            return;
        case State::Undivided:
            if (!undivided_->not_utf8 && !is_valid_utf8(line)) *undivided_ = not_utf8(undivided_->index, undivided_->line, true);
            return drop_through(end);
    }
}

void FrameReader::start_frame(std::string_view count_line, std::size_t begin, std::size_t end) {
    first_line_ = line_;
    frame_begin_ = begin;
    const auto declared = parse_unsigned64(trim_white_space(count_line));
    if (!declared) {
        // The frame's text alone fails on its first line with the reader's own words.
        const std::string_view text(buffer_.data() + begin, end - begin);
        undivided_ = is_valid_utf8(text) ? FrameFailure{frames_, line_, reader_error(text), true}
                                         : not_utf8(frames_, line_, true);
        ++frames_;
        state_ = State::Undivided;
        return drop_through(end);
    }
    declared_ = *declared;
    atoms_ = 0;
    state_ = State::Comment;
}

void FrameReader::end_frame(std::size_t end) {
    ready_.push_back(FrameText{frames_++, first_line_, buffer_.substr(frame_begin_, end - frame_begin_)});
    frame_begin_ = end;
    state_ = State::Between;
}

void FrameReader::drop_through(std::size_t end) { frame_begin_ = end; }

std::optional<FrameFailure> read_frame(const FrameText& frame, Frame& into) {
    if (const std::size_t bad = first_invalid_utf8(frame.text); bad != std::string_view::npos) {
        return not_utf8(frame.index, frame.first_line + line_of(frame.text, bad) - 1, false);
    }
    FrameDetails details;
    details.atom_lines.swap(into.atom_lines);
    auto error = read_first_frame(frame.text, into.spec, &details);
    into.atom_lines.swap(details.atom_lines);
    // Lines of the frame's text count from 1 at its count line.
    const auto input_line = [&](std::uint64_t line) { return frame.first_line + line - 1; };
    if (error) return FrameFailure{frame.index, input_line(details.failure_line), std::move(error->message), false};
    into.index = frame.index;
    into.first_line = frame.first_line;
    into.cell = std::move(details.cell);
    for (std::uint64_t& line : into.atom_lines) line = input_line(line);
    return std::nullopt;
}

FrameResult read_frame(const FrameText& frame) {
    Frame read;
    if (auto failure = read_frame(frame, read)) return std::move(*failure);
    return read;
}

}  // namespace quorv::xyz
