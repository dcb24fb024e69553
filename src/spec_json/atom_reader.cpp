#include "spec_json/atom_reader.h"

#include <array>

#include "text/format.h"
#include "spec_json/json_containers.h"
#include "spec_json/json_messages.h"
#include "spec_json/found_value.h"
#include "spec_json/record_fields.h"
#include "spec_json/typed_values.h"
#include "spec_json/value_skipper.h"

namespace quorv::spec_json {

namespace {

// Declaration order: the order of the array form and of missing-key reports.
enum AtomField : std::size_t { kElement, kX, kY, kZ, kAtomFieldCount };
constexpr std::array<std::string_view, kAtomFieldCount> kAtomKeys{"element", "x", "y", "z"};
constexpr std::array<bool, kAtomFieldCount> kAtomKeyRequired{true, true, true, true};

bool read_atom_field(ByteCursor& cursor, std::size_t field, Atom& atom) {
    switch (field) {
        case kElement: return read_string_value(cursor, kWantedString, atom.element);
        case kX: return read_f64(cursor, atom.x);
        case kY: return read_f64(cursor, atom.y);
        default: return read_f64(cursor, atom.z);
    }
}

bool read_atom_object(ByteCursor& cursor, Atom& atom, std::string& scratch) {
    cursor.advance();  // '{'
    RecordFields fields(kAtomKeys);
    bool first = true;
    std::string key;
    while (true) {
        Step step = next_member(cursor, first, key);
        if (step == Step::Failed) return false;
        if (step == Step::Close) break;
        std::optional<std::size_t> field = fields.field_of(key);
        if (field && !fields.claim(cursor, *field)) return false;
        if (!read_colon(cursor)) return false;
        bool read = field ? read_atom_field(cursor, *field, atom) : skip_value(cursor, scratch);
        if (!read) return false;
    }
    cursor.advance();  // '}'
    return fields.check_required(cursor, kAtomKeyRequired);
}

bool read_atom_array(ByteCursor& cursor, Atom& atom) {
    cursor.advance();  // '['
    bool first = true;
    for (std::size_t field = 0; field < kAtomFieldCount; ++field) {
        Step step = next_element(cursor, first);
        if (step == Step::Failed) return false;
        if (step == Step::Close) {
            cursor.advance();  // ']'
            return cursor.fail_at_last_read(fill(kInvalidLength, {decimal(std::uint64_t{field}), kWantedAtomArray}));
        }
        if (!read_atom_field(cursor, field, atom)) return false;
    }
    return close_record_array(cursor);
}

}  // namespace

bool read_atom(ByteCursor& cursor, Atom& atom, std::string& scratch) {
    switch (cursor.peek()) {
        case '{': return read_atom_object(cursor, atom, scratch);
        case '[': return read_atom_array(cursor, atom);
        case ByteCursor::kEnd: return cursor.fail_at_next(kEofWhileParsingValue);
        default: return fail_with_invalid_type(cursor, kWantedAtom);
    }
}

}  // namespace quorv::spec_json
