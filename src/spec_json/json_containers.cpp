#include "spec_json/json_containers.h"

#include "spec_json/json_messages.h"
#include "spec_json/string_lexer.h"

namespace quorv::spec_json {

namespace {

// Before an item: the separator after the previous one, if any. Returns the
// byte that starts the item, Close or Failed through `step`.
int byte_before_item(ByteCursor& cursor, bool& first, char closer, std::string_view eof_inside,
                     std::string_view expected_separator, Step& step) {
    cursor.skip_white_space();
    int byte = cursor.peek();
    if (byte == closer) {
        step = Step::Close;
        return byte;
    }
    if (byte == ByteCursor::kEnd) {
        step = Step::Failed;
        cursor.fail_at_next(eof_inside);
        return byte;
    }
    if (byte == ',' && !first) {
        cursor.advance();
        cursor.skip_white_space();
        byte = cursor.peek();
        if (byte == closer) {
            step = Step::Failed;
            cursor.fail_at_next(kTrailingComma);
        } else if (byte == ByteCursor::kEnd) {
            step = Step::Failed;
            cursor.fail_at_next(kEofWhileParsingValue);
        } else {
            step = Step::Item;
        }
        return byte;
    }
    if (!first) {
        step = Step::Failed;
        cursor.fail_at_next(expected_separator);
        return byte;
    }
    first = false;
    step = Step::Item;
    return byte;
}

}  // namespace

Step next_member(ByteCursor& cursor, bool& first, std::string& key) {
    Step step = Step::Failed;
    int byte = byte_before_item(cursor, first, '}', kEofWhileParsingObject, kExpectedObjectCommaOrEnd, step);
    if (step != Step::Item) return step;
    if (byte != '"') {
        cursor.fail_at_next(kKeyMustBeAString);
        return Step::Failed;
    }
    cursor.advance();
    return read_string_rest(cursor, key) ? Step::Item : Step::Failed;
}

bool read_colon(ByteCursor& cursor) {
    cursor.skip_white_space();
    int byte = cursor.peek();
    if (byte == ':') {
        cursor.advance();
        return true;
    }
    return cursor.fail_at_next(byte == ByteCursor::kEnd ? kEofWhileParsingObject : kExpectedColon);
}

Step next_element(ByteCursor& cursor, bool& first) {
    Step step = Step::Failed;
    byte_before_item(cursor, first, ']', kEofWhileParsingList, kExpectedListCommaOrEnd, step);
    return step;
}

bool close_record_array(ByteCursor& cursor) {
    cursor.skip_white_space();
    switch (cursor.peek()) {
        case ']': cursor.advance(); return true;
        case ByteCursor::kEnd: return cursor.fail_at_next(kEofWhileParsingList);
        case ',':
            // One element too many, or a comma with nothing after it.
            cursor.advance();
            cursor.skip_white_space();
            return cursor.fail_at_next(cursor.peek() == ']' ? kTrailingComma : kTrailingCharacters);
        default: return cursor.fail_at_next(kTrailingCharacters);
    }
}

}  // namespace quorv::spec_json
