#include "spec_json/literal_lexer.h"

#include "spec_json/json_messages.h"

namespace quorv::spec_json {

bool read_literal(ByteCursor& cursor, std::string_view word) {
    cursor.advance();  // the first letter chose the word
    for (char expected : word.substr(1)) {
        int byte = cursor.next();
        if (byte == ByteCursor::kEnd) return cursor.fail_at_end(kEofWhileParsingValue);
        if (byte != static_cast<unsigned char>(expected)) return cursor.fail_at_last_read(kExpectedIdent);
    }
    return true;
}

}  // namespace quorv::spec_json
