#include "spec_json/record_fields.h"

#include "text/format.h"
#include "spec_json/json_messages.h"

namespace quorv::spec_json {

std::optional<std::size_t> RecordFields::field_of(std::string_view key) const {
    for (std::size_t i = 0; i < names_.size() && i < kMaxFields; ++i) {
        if (names_[i] == key) return i;
    }
    return std::nullopt;
}

bool RecordFields::claim(ByteCursor& cursor, std::size_t field) {
    if (!seen_[field]) {
        seen_[field] = true;
        return true;
    }
    // The object is closed off as far as it can be before reporting: blanks,
    // and a closing brace if that is what stands after the key.
    cursor.skip_white_space();
    if (cursor.peek() == '}') cursor.advance();
    return cursor.fail_at_last_read(fill(kDuplicateField, {names_[field]}));
}

bool RecordFields::check_required(ByteCursor& cursor, std::span<const bool> required) const {
    for (std::size_t i = 0; i < names_.size() && i < required.size() && i < kMaxFields; ++i) {
        if (required[i] && !seen_[i]) return cursor.fail_at_last_read(fill(kMissingField, {names_[i]}));
    }
    return true;
}

}  // namespace quorv::spec_json
