// Stepping through the members of an object and the elements of an array.
// The cluster reader and the value skipper share these, so that the same
// malformed text gets the same error wherever it stands.
#pragma once

#include <string>

#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

enum class Step {
    Item,    // a member key was read, or an element is next
    Close,   // the closing brace or bracket is next (not yet consumed)
    Failed,
};

// Call with `first` true just after the '{'. On Item the key has been read
// into `key` (the colon has not); on Close the '}' is next.
Step next_member(ByteCursor& cursor, bool& first, std::string& key);

// Consumes the ':' between a key and its value.
bool read_colon(ByteCursor& cursor);

// Call with `first` true just after the '['. On Item the element's first
// byte is next; on Close the ']' is next.
Step next_element(ByteCursor& cursor, bool& first);

// Ends an array that stands for a record with a fixed number of fields once
// all of them have been read: only the ']' may follow.
bool close_record_array(ByteCursor& cursor);

}  // namespace quorv::spec_json
