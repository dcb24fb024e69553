#include "cli/json_top_level.h"

#include <algorithm>

#include "cli/code_pages.h"
#include "spec_json/byte_cursor.h"
#include "spec_json/line_counter.h"
#include "spec_json/spec_json_reader.h"
#include "spec_json/string_lexer.h"
#include "spec_json/value_skipper.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kNoqaKey = "noqa";
constexpr std::string_view kNoqaNotList = "\"noqa\" on line {} must be a list of code names";

using spec_json::ByteCursor;

bool is_spec_key(std::string_view key) {
    return std::find(spec_json::kSpecKeys.begin(), spec_json::kSpecKeys.end(), key) != spec_json::kSpecKeys.end();
}

bool take(ByteCursor& cursor, char expected) {
    cursor.skip_white_space();
    if (cursor.peek() != static_cast<unsigned char>(expected)) return false;
    cursor.advance();
    return true;
}

// A list of strings: the names it holds, or false (the cursor anywhere).
bool read_name_list(ByteCursor& cursor, std::string& scratch, StructureNoqa& noqa) {
    if (!take(cursor, '[')) return false;
    if (take(cursor, ']')) return true;
    do {
        if (!take(cursor, '"') || !spec_json::read_string_rest(cursor, scratch)) return false;
        if (const CodeEntry* entry = find_code(scratch)) noqa.comment.codes.set(static_cast<std::size_t>(entry->code));
        else noqa.unknown_codes.push_back(scratch);
    } while (take(cursor, ','));
    return take(cursor, ']');
}

}  // namespace

JsonTopLevel read_json_top_level(std::string_view text) {
    JsonTopLevel top;
    ByteCursor cursor(text);
    spec_json::LineCounter lines(text);
    std::string scratch;
    cursor.skip_white_space();
    const int first = cursor.peek();
    if (first == '[') {
        top.shape = JsonTopLevel::Shape::Array;
        return top;
    }
    if (first != '{') {
        const bool value = first != ByteCursor::kEnd && spec_json::skip_value(cursor, scratch);
        cursor.skip_white_space();
        top.shape = value && cursor.at_end() ? JsonTopLevel::Shape::Other : JsonTopLevel::Shape::Malformed;
        return top;
    }
    cursor.advance();
    if (!take(cursor, '}')) {
        do {
            if (!take(cursor, '"')) return top;
            const std::size_t key_at = cursor.position();
            if (!spec_json::read_string_rest(cursor, scratch) || !take(cursor, ':')) return top;
            top.has_spec_key = top.has_spec_key || is_spec_key(scratch);
            cursor.skip_white_space();
            if (scratch == kNoqaKey) {
                const std::uint64_t line = lines.line_at(key_at);
                const std::size_t value_at = cursor.position();
                StructureNoqa noqa;
                noqa.line = line;
                if (read_name_list(cursor, scratch, noqa)) {
                    top.noqa = std::move(noqa);
                    top.noqa_problem.reset();
                } else {
                    top.noqa.reset();
                    top.noqa_problem = fill(kNoqaNotList, {decimal(line)});
                    cursor.move_to(value_at);
                    if (!spec_json::skip_value(cursor, scratch)) return top;
                }
            } else if (!spec_json::skip_value(cursor, scratch)) {
                return top;
            }
        } while (take(cursor, ','));
        if (!take(cursor, '}')) return top;
    }
    cursor.skip_white_space();
    if (cursor.at_end()) top.shape = JsonTopLevel::Shape::Object;
    return top;
}

}  // namespace quorv::cli
