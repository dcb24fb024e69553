// A small streaming JSON writer: it places the commas and escapes the texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorv::cli {

class JsonWriter {
public:
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view text);
    JsonWriter& number(std::uint64_t value);
    JsonWriter& number(std::int64_t value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    // A value that is JSON text already, such as another writer's finished text.
    JsonWriter& raw(std::string_view json_value);

    // Ends a line of JSON lines output.
    JsonWriter& newline();

    const std::string& text() const { return out_; }
    // Starts over, keeping the memory: a writer kept for a whole run
    // allocates only while its longest line grows.
    void clear();

private:
    void before_value();

    std::string out_;
    std::vector<bool> level_has_items_;
    bool after_key_ = false;
};

// Bytes that are not part of well-formed UTF-8 (a file name may hold any
// bytes) become the lone surrogates U+DC80 to U+DCFF, the way Python's
// "surrogateescape" decodes them: os.fsencode() of the string read back gives
// the original bytes, and distinct names stay distinct.
inline constexpr char32_t kEscapedByteBase = 0xDC00;

// Appends the text as a JSON string literal.
void append_json_string(std::string& out, std::string_view text);
// Appends the number as JSON writes it.
void append_json_number(std::string& out, std::uint64_t value);
std::string json_string_literal(std::string_view text);

}  // namespace quorv::cli
