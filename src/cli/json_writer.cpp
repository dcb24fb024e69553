#include "cli/json_writer.h"

#include "text/utf8.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr char kHexDigits[] = "0123456789abcdef";

void append_escaped(std::string& out, char c) {
    switch (c) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\t': out += "\\t"; return;
        case '\b': out += "\\b"; return;
        case '\f': out += "\\f"; return;
        default: break;
    }
    const auto byte = static_cast<unsigned char>(c);
    out += "\\u00";
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

}  // namespace

std::string json_string_literal(std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text.front());
        if (byte < 0x20 || byte == '"' || byte == '\\') {
            append_escaped(out, text.front());
            text.remove_prefix(1);
        } else if (byte < 0x80) {
            out += text.front();
            text.remove_prefix(1);
        } else if (const Utf8Char c = decode_utf8_at(text, 0); c.well_formed) {
            out.append(text.substr(0, c.length));
            text.remove_prefix(c.length);
        } else {
            out.append(kReplacementCharacter);
            text.remove_prefix(1);
        }
    }
    out += '"';
    return out;
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
    out_ += json_string_literal(name);
    out_ += ':';
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
    before_value();
    out_ += json_string_literal(text);
    return *this;
}

JsonWriter& JsonWriter::number(std::uint64_t value) {
    before_value();
    out_ += decimal(value);
    return *this;
}

JsonWriter& JsonWriter::number(std::int64_t value) {
    before_value();
    out_ += decimal(value);
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

JsonWriter& JsonWriter::null() {
    before_value();
    out_ += "null";
    return *this;
}

}  // namespace quorv::cli
