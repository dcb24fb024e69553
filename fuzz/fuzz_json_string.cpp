// Any bytes (a path, a message) through the JSON writer's string literal and
// back through a strict JSON string reader: the literal is well-formed UTF-8
// with no raw control character, and reading it back, with the lone
// surrogates U+DC80 to U+DCFF taken as the bytes they stand for (as Python's
// os.fsencode does), gives exactly the bytes written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "cli/json_writer.h"
#include "text/utf8.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::optional<char32_t> hex4(std::string_view text) {
    if (text.size() < 4) return std::nullopt;
    char32_t value = 0;
    for (char c : text.substr(0, 4)) {
        value <<= 4;
        if (c >= '0' && c <= '9') value |= static_cast<char32_t>(c - '0');
        else if (c >= 'a' && c <= 'f') value |= static_cast<char32_t>(c - 'a' + 10);
        else return std::nullopt;
    }
    return value;
}

// The bytes a literal stands for; the writer never writes a surrogate pair.
std::string read_back(std::string_view literal) {
    require(literal.size() >= 2 && literal.front() == '"' && literal.back() == '"');
    literal = literal.substr(1, literal.size() - 2);
    std::string bytes;
    for (std::size_t pos = 0; pos < literal.size();) {
        const char c = literal[pos];
        require(static_cast<unsigned char>(c) >= 0x20 && c != '"');
        if (c != '\\') {
            bytes += c;
            ++pos;
            continue;
        }
        require(pos + 1 < literal.size());
        const char escape = literal[pos + 1];
        pos += 2;
        switch (escape) {
            case '"': bytes += '"'; break;
            case '\\': bytes += '\\'; break;
            case 'n': bytes += '\n'; break;
            case 'r': bytes += '\r'; break;
            case 't': bytes += '\t'; break;
            case 'b': bytes += '\b'; break;
            case 'f': bytes += '\f'; break;
            case 'u': {
                const auto value = hex4(literal.substr(pos));
                require(value.has_value());
                pos += 4;
                if (*value >= 0xDC80 && *value <= 0xDCFF) bytes += static_cast<char>(*value - 0xDC00);
                else append_utf8(bytes, *value);
                break;
            }
            default: require(false);
        }
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string literal = quorv::cli::json_string_literal(text);
    require(quorv::is_valid_utf8(literal));
    require(read_back(literal) == text);
    return 0;
}
