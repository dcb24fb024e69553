#include "spec_json/value_skipper.h"

#include <vector>

#include "spec_json/json_containers.h"
#include "spec_json/json_messages.h"
#include "spec_json/literal_lexer.h"
#include "spec_json/number_lexer.h"
#include "spec_json/string_lexer.h"
#include "text/ascii.h"

namespace quorv::spec_json {

namespace {

struct OpenContainer {
    bool is_object;
    bool first;  // nothing read inside it yet
};

// Reads a scalar, or opens an array or object onto `open`.
bool start_value(ByteCursor& cursor, std::vector<OpenContainer>& open, std::string& scratch) {
    cursor.skip_white_space();
    int byte = cursor.peek();
    switch (byte) {
        case ByteCursor::kEnd: return cursor.fail_at_next(kEofWhileParsingValue);
        case '[':
        case '{':
            cursor.advance();
            open.push_back({byte == '{', true});
            return true;
        case 'n': return read_literal(cursor, kNullWord);
        case 't': return read_literal(cursor, kTrueWord);
        case 'f': return read_literal(cursor, kFalseWord);
        case '"': cursor.advance(); return read_string_rest(cursor, scratch);
        default: break;
    }
    if (byte == '-' || is_ascii_digit(byte)) return skip_number(cursor);
    return cursor.fail_at_next(kExpectedValue);
}

}  // namespace

bool skip_value(ByteCursor& cursor, std::string& scratch) {
    std::vector<OpenContainer> open;
    while (true) {
        if (!start_value(cursor, open, scratch)) return false;
        // Close what is complete until the next value is due or none is open.
        while (true) {
            if (open.empty()) return true;
            OpenContainer& innermost = open.back();
            Step step = innermost.is_object ? next_member(cursor, innermost.first, scratch)
                                            : next_element(cursor, innermost.first);
            if (step == Step::Failed) return false;
            if (step == Step::Item) {
                if (innermost.is_object && !read_colon(cursor)) return false;
                break;
            }
            cursor.advance();  // the closing brace or bracket
            open.pop_back();
        }
    }
}

}  // namespace quorv::spec_json
