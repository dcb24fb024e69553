// A read position in JSON text, and the one error that stops reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorv::spec_json {

class ByteCursor {
public:
    static constexpr int kEnd = -1;

    explicit ByteCursor(std::string_view text) : text_(text) {}

    std::string_view text() const { return text_; }
    std::size_t position() const { return position_; }
    bool at_end() const { return position_ >= text_.size(); }

    // The next byte (0..255) without consuming it, or kEnd.
    int peek() const { return at_end() ? kEnd : static_cast<unsigned char>(text_[position_]); }
    // Consumes and returns the next byte, or returns kEnd and stays put.
    int next() {
        int byte = peek();
        if (byte != kEnd) ++position_;
        return byte;
    }
    void advance() {
        if (!at_end()) ++position_;
    }
    // For lexers that scan the text directly; clamped to the end.
    void move_to(std::size_t position) { position_ = position < text_.size() ? position : text_.size(); }

    // Space, tab, LF and CR: the only blanks JSON has.
    void skip_white_space();

    // Each records the error and returns false, so that a reader can
    // `return cursor.fail_...(...)`. The first error recorded wins.
    //
    // The point is the last byte consumed: a value that turned out wrong, or
    // a character that was read and rejected.
    bool fail_at_last_read(std::string_view message) {
        return position_ == 0 ? fail_at_end(message) : fail_at_character(position_ - 1, message);
    }
    // The point is the byte about to be read, or the end when there is none:
    // a character seen by looking ahead and rejected.
    bool fail_at_next(std::string_view message) {
        return at_end() ? fail_at_end(message) : fail_at_character(position_, message);
    }
    // The point is the end of the text: the text ended where more was due.
    bool fail_at_end(std::string_view message);

    bool failed() const { return error_.has_value(); }
    const std::string& error_text() const { return *error_; }

private:
    // The point is the character that covers byte `pos`. Its line counts the
    // line feeds before it (a line feed stays on the line it ends); its
    // column counts the bytes of that line up to the character's first byte.
    bool fail_at_character(std::size_t pos, std::string_view message);
    bool fail_at_line_column(std::uint64_t line, std::uint64_t column, std::string_view message);

    std::string_view text_;
    std::size_t position_ = 0;
    std::optional<std::string> error_;
};

}  // namespace quorv::spec_json
