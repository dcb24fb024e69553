#include "cli/json_writer.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "text/utf8.h"

namespace quorv::cli {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void append_u_escape(std::string& out, char32_t c) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(c >> shift) & 0xF];
}

void append_escaped(std::string& out, char c) {
    switch (c) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\t': out += "\\t"; return;
        case '\b': out += "\\b"; return;
        case '\f': out += "\\f"; return;
        default: append_u_escape(out, static_cast<unsigned char>(c)); return;
    }
}

constexpr bool needs_escape(unsigned char byte) { return byte < 0x20 || byte == '"' || byte == '\\' || byte == 0x7F; }

// The ASCII bytes a string literal takes as they are, looked up rather than
// tested: most of every path and message is made of them.
constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (unsigned byte = 0; byte < 0x80; ++byte) plain[byte] = !needs_escape(static_cast<unsigned char>(byte));
    return plain;
}();

constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
constexpr std::uint64_t kTopBits = 0x8080808080808080ull;

// The top bit of some byte is set if any byte of the word is zero.
constexpr std::uint64_t zero_bytes(std::uint64_t word) { return (word - kEveryByte) & ~word & kTopBits; }

// Whether all eight bytes of the word go into a literal as they are, tested
// all at once: the loop over plain runs takes a word at a time while it can.
constexpr bool plain_word(std::uint64_t word) {
    const std::uint64_t beyond_ascii_or_del = (word | (word + kEveryByte)) & kTopBits;
    // Exact once no byte is beyond ASCII, which the first test catches.
    const std::uint64_t control = (word - kEveryByte * 0x20) & ~word & kTopBits;
    const std::uint64_t quote = zero_bytes(word ^ (kEveryByte * '"'));
    const std::uint64_t backslash = zero_bytes(word ^ (kEveryByte * '\\'));
    return (beyond_ascii_or_del | control | quote | backslash) == 0;
}

template <typename Integer>
void append_decimal(std::string& out, Integer value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
    out += '"';
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t run_end = pos;
        for (std::uint64_t word = 0; text.size() - run_end >= sizeof word; run_end += sizeof word) {
            std::memcpy(&word, text.data() + run_end, sizeof word);
            if (!plain_word(word)) break;
        }
        while (run_end < text.size() && kPlainBytes[static_cast<unsigned char>(text[run_end])]) ++run_end;
        out.append(text, pos, run_end - pos);
        pos = run_end;
        if (pos == text.size()) break;

        const auto byte = static_cast<unsigned char>(text[pos]);
        const Utf8Char c = byte < 0x80 ? Utf8Char{byte, 1, true} : decode_utf8_at(text, pos);
        if (byte < 0x80) {
            append_escaped(out, text[pos]);
        } else if (!c.well_formed) {
            // Python's surrogateescape: os.fsencode() gives the byte back.
            append_u_escape(out, kEscapedByteBase + byte);
        } else if (c.code_point <= 0x9F) {
            append_u_escape(out, c.code_point);  // C1 controls, which some terminals obey
        } else {
            out.append(text, pos, c.length);
        }
        pos += c.length;
    }
    out += '"';
}

void append_json_number(std::string& out, std::uint64_t value) { append_decimal(out, value); }

std::string json_string_literal(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    append_json_string(out, text);
    return out;
}

void JsonWriter::clear() {
    out_.clear();
    level_has_items_.clear();
    after_key_ = false;
}

void JsonWriter::before_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!level_has_items_.empty()) {
        if (level_has_items_.back()) out_ += ',';
        level_has_items_.back() = true;
    }
}

JsonWriter& JsonWriter::begin_object() {
    before_value();
    out_ += '{';
    level_has_items_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    out_ += '}';
    level_has_items_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    before_value();
    out_ += '[';
    level_has_items_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    out_ += ']';
    level_has_items_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    before_value();
    append_json_string(out_, name);
    out_ += ':';
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
    before_value();
    append_json_string(out_, text);
    return *this;
}

JsonWriter& JsonWriter::number(std::uint64_t value) {
    before_value();
    append_decimal(out_, value);
    return *this;
}

JsonWriter& JsonWriter::number(std::int64_t value) {
    before_value();
    append_decimal(out_, value);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    before_value();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::raw(std::string_view json_value) {
    before_value();
    out_ += json_value;
    return *this;
}

JsonWriter& JsonWriter::newline() {
    out_ += '\n';
    return *this;
}

JsonWriter& JsonWriter::null() {
    before_value();
    out_ += "null";
    return *this;
}

}  // namespace quorv::cli
