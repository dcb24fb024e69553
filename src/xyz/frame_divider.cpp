#include "xyz/frame_divider.h"

#include <algorithm>
#include <utility>
#include <string>

#include "text/utf8.h"
#include "text/white_space.h"
#include "xyz/count_line.h"
#include "xyz/line_feeds.h"
#include "xyz/xyz_reader.h"

namespace quorv::xyz {

namespace {

// A line that starts with a printable ASCII character is not blank, which
// settles nearly every atom line at its first byte.
bool is_blank(std::string_view line) {
    if (!line.empty() && line.front() > ' ' && line.front() < 0x7f) return false;
    return skip_white_space(line, 0) == line.size();
}

// The line buffer[begin, content_end) with its line end up to `end`: a
// carriage return is part of the line end only just before a line feed.
std::string_view line_content(std::string_view buffer, std::size_t begin, std::size_t content_end, std::size_t end) {
    std::string_view line = buffer.substr(begin, content_end - begin);
    if (content_end < end && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The error text the single-frame reader gives for a text; empty when it reads.
std::string reader_error(std::string_view text) {
    const ReadResult result = parse_xyz(text);
    const auto* error = std::get_if<ReadError>(&result);
    return error != nullptr ? error->message : std::string();
}

FrameFailure not_utf8_rest(std::uint64_t index, std::uint64_t line) {
    return FrameFailure{index, line, std::string(kNotUtf8Description), true, true};
}

}  // namespace

void FrameDivider::divide(std::string_view buffer, std::vector<DividedPiece>& out) {
    if (finished_) return;
    LineFeedFinder line_feeds(buffer);
    // A line that spans many reads is searched for its end only once.
    searched_ = std::max(searched_, scanned_);
    while (searched_ < buffer.size()) {
        const std::size_t line_feed = line_feeds.next(searched_);
        if (line_feed == std::string_view::npos) {
            searched_ = buffer.size();
            break;
        }
        if (state_ == State::Atoms) {
            take_atom_lines(buffer, line_feeds, line_feed, out);
            continue;
        }
        take_line(buffer, scanned_, line_feed, line_feed + 1, out);
        scanned_ = searched_ = line_feed + 1;
    }
    note_non_ascii(line_feeds.first_non_ascii(), line_feeds.last_non_ascii());
}

// Most lines are atom lines: counted in a loop of their own, on locals,
// from the one ending at `line_feed` until the frame or the buffer ends.
void FrameDivider::take_atom_lines(std::string_view buffer, LineFeedFinder& line_feeds, std::size_t line_feed,
                                   std::vector<DividedPiece>& out) {
    std::size_t begin = scanned_;
    std::uint64_t lines = line_;
    std::uint64_t atoms = atoms_;
    for (;;) {
        ++lines;
        const std::size_t end = line_feed + 1;
        if (!is_blank(line_content(buffer, begin, line_feed, end)) && ++atoms == declared_) {
            line_ = lines;
            scanned_ = searched_ = end;
            end_frame(end, out);
            return;
        }
        begin = end;
        line_feed = line_feeds.next(end);
        if (line_feed == std::string_view::npos) break;
    }
    line_ = lines;
    atoms_ = atoms;
    scanned_ = searched_ = begin;
}

void FrameDivider::note_non_ascii(std::size_t first, std::size_t last) {
    if (first == std::string_view::npos) return;
    first_non_ascii_ = std::min(first_non_ascii_, first);
    last_non_ascii_ = last_non_ascii_ == std::string_view::npos ? last : std::max(last_non_ascii_, last);
}

void FrameDivider::finish(std::string_view buffer, std::vector<DividedPiece>& out) {
    if (finished_) return;
    divide(buffer, out);
    finished_ = true;
    // The last line needs no line feed; a carriage return at its end stays in it.
    if (scanned_ < buffer.size()) take_line(buffer, scanned_, buffer.size(), buffer.size(), out);
    scanned_ = searched_ = buffer.size();
    if (state_ == State::Comment || state_ == State::Atoms) {
        // The input ended inside a frame: its text reads as one that ends too soon.
        end_frame(buffer.size(), out);
    } else if (state_ == State::FirstCountLine) {
        out.emplace_back(FrameFailure{frames_++, 1, reader_error({}), false});
    }
    if (undivided_) out.emplace_back(std::move(*undivided_));
    undivided_.reset();
}

void FrameDivider::dropped(std::size_t bytes) {
    scanned_ -= bytes;
    searched_ -= bytes;
    frame_begin_ -= bytes;
    if (first_non_ascii_ == std::string_view::npos) return;
    if (last_non_ascii_ < bytes) {
        first_non_ascii_ = last_non_ascii_ = std::string_view::npos;
        return;
    }
    // Where among what is left the first one lies is not known: take the start.
    first_non_ascii_ = first_non_ascii_ < bytes ? 0 : first_non_ascii_ - bytes;
    last_non_ascii_ -= bytes;
}

// The line is buffer[begin, content_end), its line end up to `end`.
void FrameDivider::take_line(std::string_view buffer, std::size_t begin, std::size_t content_end, std::size_t end,
                             std::vector<DividedPiece>& out) {
    ++line_;
    const std::string_view line = line_content(buffer, begin, content_end, end);
    switch (state_) {
        case State::Atoms:
            if (!is_blank(line) && ++atoms_ == declared_) end_frame(end, out);
            return;
        case State::Comment:
            layout_.comment_begin = begin - frame_begin_;
            layout_.comment_end = layout_.comment_begin + line.size();
            layout_.atoms_begin = end - frame_begin_;
            if (declared_ == 0) {
                end_frame(end, out);
            } else {
                state_ = State::Atoms;
            }
            return;
        case State::Between:
            if (is_blank(line)) {
                frame_begin_ = end;
                return;
            }
            [[fallthrough]];
        case State::FirstCountLine: return start_frame(buffer, line, begin, end);
        case State::Undivided:
            if (!undivided_->not_utf8 && !is_valid_utf8(line)) {
                *undivided_ = not_utf8_rest(undivided_->index, undivided_->line);
            }
            frame_begin_ = end;
            return;
    }
}

void FrameDivider::start_frame(std::string_view buffer, std::string_view count_line, std::size_t begin,
                               std::size_t end) {
    first_line_ = line_;
    frame_begin_ = begin;
    const auto declared = read_count_line(count_line);
    if (!declared) {
        // The frame's text alone fails on its first line with the reader's own words.
        const std::string_view text = buffer.substr(begin, end - begin);
        undivided_ = is_valid_utf8(text) ? FrameFailure{frames_, line_, reader_error(text), true}
                                         : not_utf8_rest(frames_, line_);
        ++frames_;
        state_ = State::Undivided;
        frame_begin_ = end;
        return;
    }
    declared_ = *declared;
    atoms_ = 0;
    // Until a comment line comes, the frame's text ends after its count line.
    const std::size_t after_count = end - begin;
    layout_ = FrameLayout{declared_, after_count, after_count, after_count};
    state_ = State::Comment;
}

void FrameDivider::end_frame(std::size_t end, std::vector<DividedPiece>& out) {
    out.emplace_back(FrameSpan{frames_++, first_line_, frame_begin_, end, layout_});
    frame_begin_ = end;
    state_ = State::Between;
}

std::optional<FrameLayout> first_frame_layout(std::string_view text) {
    // One line of the text from `begin`: its content and where the next one starts.
    const auto line_from = [&](std::size_t begin) {
        const std::size_t line_feed = text.find('\n', begin);
        const std::size_t content_end = line_feed == std::string_view::npos ? text.size() : line_feed;
        const std::size_t end = line_feed == std::string_view::npos ? text.size() : line_feed + 1;
        return std::pair{line_content(text, begin, content_end, end), end};
    };
    const auto [count_line, after_count] = line_from(0);
    const auto declared = read_count_line(count_line);
    if (!declared) return std::nullopt;
    FrameLayout layout{*declared, after_count, after_count, after_count};
    if (after_count == text.size()) return layout;
    const auto [comment, after_comment] = line_from(after_count);
    layout.comment_end = after_count + comment.size();
    layout.atoms_begin = after_comment;
    return layout;
}

}  // namespace quorv::xyz
