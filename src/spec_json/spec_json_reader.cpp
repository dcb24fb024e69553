// The document: an object with the cluster's keys, or an array of their
// values in key order. Lists ("atoms", "ecp_elements") are read here too.
#include "spec_json/spec_json_reader.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>

#include "text/format.h"
#include "spec_json/atom_list_size.h"
#include "spec_json/atom_reader.h"
#include "spec_json/byte_cursor.h"
#include "spec_json/found_value.h"
#include "spec_json/json_containers.h"
#include "spec_json/json_messages.h"
#include "spec_json/line_counter.h"
#include "spec_json/record_fields.h"
#include "spec_json/typed_values.h"
#include "spec_json/usual_atom.h"
#include "spec_json/value_skipper.h"

namespace quorv {

namespace {

using namespace spec_json;

// Declaration order: the order of the array form.
enum SpecField : std::size_t {
    kAtoms,
    kCharge,
    kSpinMultiplicity,
    kEcpElements,
    kMetalOxidationState,
    kSpecFieldCount,
};
static_assert(kSpecKeys.size() == kSpecFieldCount);
constexpr std::array<bool, kSpecFieldCount> kSpecKeyRequired{true, false, false, false, false};

// A JSON array whose elements `read_element` reads in order; the cursor
// stands on the element's first byte when it is called.
template <typename ReadElement>
bool read_list(ByteCursor& cursor, ReadElement&& read_element) {
    cursor.skip_white_space();
    if (cursor.at_end()) return cursor.fail_at_next(kEofWhileParsingValue);
    if (cursor.peek() != '[') return fail_with_invalid_type(cursor, kWantedSequence);
    cursor.advance();
    bool first = true;
    while (true) {
        Step step = next_element(cursor, first);
        if (step == Step::Failed) return false;
        if (step == Step::Close) break;
        if (!read_element()) return false;
    }
    cursor.advance();  // ']'
    return true;
}

class SpecReader {
public:
    SpecReader(std::string_view text, AtomPath path, AtomStarts* atom_starts)
        : cursor_(text), path_(path), atom_starts_(atom_starts) {}

    ReadResult read() {
        ClusterSpec spec;
        if (read_document(spec) && at_document_end()) return spec;
        if (atom_starts_ != nullptr) atom_starts_->clear();
        return ReadError{cursor_.error_text()};
    }

private:
    bool read_document(ClusterSpec& spec) {
        cursor_.skip_white_space();
        switch (cursor_.peek()) {
            case '{': return read_object_form(spec);
            case '[': return read_array_form(spec);
            case ByteCursor::kEnd: return cursor_.fail_at_next(kEofWhileParsingValue);
            default: return fail_with_invalid_type(cursor_, kWantedClusterSpec);
        }
    }

    bool at_document_end() {
        cursor_.skip_white_space();
        return cursor_.at_end() || cursor_.fail_at_next(kTrailingCharacters);
    }

    bool read_field(std::size_t field, ClusterSpec& spec) {
        switch (field) {
            case kAtoms: return read_atoms(spec);
            case kCharge: return read_optional_i64(cursor_, spec.charge);
            case kSpinMultiplicity: return read_optional_u32(cursor_, spec.spin_multiplicity);
            case kEcpElements: return read_ecp_elements(spec);
            default: return read_optional_i64(cursor_, spec.metal_oxidation_state);
        }
    }

    bool read_atoms(ClusterSpec& spec) {
        spec.atoms.clear();
        if (atom_starts_ != nullptr) atom_starts_->clear();
        std::optional<std::size_t> list_start;
        const bool read = read_list(cursor_, [&] {
            if (!list_start) {
                list_start = cursor_.position();
                size_atom_list(spec, *list_start);
            }
            if (!read_atom_at(cursor_.position(), spec)) return false;
            size_atom_list(spec, *list_start);
            if (path_ == AtomPath::UsualShapeFirst) read_usual_atoms_that_follow(spec, *list_start);
            return true;
        });
        if (read) {
            release_unused(spec.atoms);
            if (atom_starts_ != nullptr) release_unused(*atom_starts_);
        }
        return read;
    }

    // Before the first atom, room for as many as kSampleAtoms that the text
    // can hold; after kSampleAtoms, room for what the rest likely holds.
    void size_atom_list(ClusterSpec& spec, std::size_t list_start) {
        const std::size_t atoms = spec.atoms.size();
        if (atoms != 0 && atoms != kSampleAtoms) return;
        const std::size_t read_to = cursor_.position();
        std::size_t count = likely_atom_count(atoms, read_to - list_start, cursor_.text().size() - read_to);
        if (atoms == 0) count = std::min(count, kSampleAtoms);
        reserve_if_possible(spec.atoms, count);
        if (atom_starts_ != nullptr) reserve_if_possible(*atom_starts_, count);
    }

    // An atom that the fast path refuses is read again from its first byte.
    bool read_atom_at(std::size_t start, ClusterSpec& spec) {
        note_atom_start(start);
        // Read in place: on failure the whole cluster is dropped.
        Atom& atom = spec.atoms.emplace_back();
        if (path_ == AtomPath::UsualShapeFirst) {
            std::size_t position = start;
            if (read_usual_atom(cursor_.text(), position, atom)) {
                cursor_.move_to(position);
                return true;
            }
            atom = Atom{};
        }
        return read_atom(cursor_, atom, scratch_);
    }

    // Commas and atoms of the usual shape, for as long as they come; the
    // list's general loop goes on from the end of the last one. The first
    // run stops at kSampleAtoms, where the list takes its room.
    void read_usual_atoms_that_follow(ClusterSpec& spec, std::size_t list_start) {
        for (const std::size_t most : {kSampleAtoms, std::numeric_limits<std::size_t>::max()}) {
            std::size_t position = cursor_.position();
            spec_json::read_usual_atoms_that_follow(cursor_.text(), position, spec.atoms, most, atom_starts_);
            cursor_.move_to(position);
            size_atom_list(spec, list_start);
        }
    }

    void note_atom_start(std::size_t start) {
        if (atom_starts_ != nullptr) atom_starts_->push_back(start);
    }

    bool read_ecp_elements(ClusterSpec& spec) {
        spec.ecp_elements.clear();
        return read_list(cursor_, [&] {
            std::string symbol;
            if (!read_string_value(cursor_, kWantedString, symbol)) return false;
            spec.ecp_elements.push_back(std::move(symbol));
            return true;
        });
    }

    bool read_object_form(ClusterSpec& spec) {
        cursor_.advance();  // '{'
        RecordFields fields(kSpecKeys);
        bool first = true;
        std::string key;
        while (true) {
            Step step = next_member(cursor_, first, key);
            if (step == Step::Failed) return false;
            if (step == Step::Close) break;
            std::optional<std::size_t> field = fields.field_of(key);
            if (field && !fields.claim(cursor_, *field)) return false;
            if (!read_colon(cursor_)) return false;
            bool read = field ? read_field(*field, spec) : skip_value(cursor_, scratch_);
            if (!read) return false;
        }
        cursor_.advance();  // '}'
        return fields.check_required(cursor_, kSpecKeyRequired);
    }

    // Elements past the end of a short array keep the values of absent keys.
    bool read_array_form(ClusterSpec& spec) {
        cursor_.advance();  // '['
        bool first = true;
        for (std::size_t field = 0; field < kSpecFieldCount; ++field) {
            Step step = next_element(cursor_, first);
            if (step == Step::Failed) return false;
            if (step == Step::Close) {
                cursor_.advance();  // ']'
                if (field == kAtoms) {
                    return cursor_.fail_at_last_read(
                        fill(kInvalidLength, {decimal(std::uint64_t{0}), kWantedClusterSpecArray}));
                }
                return true;
            }
            if (!read_field(field, spec)) return false;
        }
        return close_record_array(cursor_);
    }

    ByteCursor cursor_;
    AtomPath path_;
    AtomStarts* atom_starts_;
    std::string scratch_;  // strings that are read and dropped
};

}  // namespace

ReadResult spec_json::parse_spec_json_by(std::string_view text, AtomPath path, AtomStarts* atom_starts) {
    return SpecReader(text, path, atom_starts).read();
}

ReadResult parse_spec_json(std::string_view text) {
    return parse_spec_json_by(text, AtomPath::UsualShapeFirst, nullptr);
}

ReadResult parse_spec_json(std::string_view text, AtomLines& atom_lines) {
    ReadResult result = parse_spec_json_with_starts(text, atom_lines);
    atom_lines = lines_of_positions(text, atom_lines);
    return result;
}

ReadResult parse_spec_json_with_starts(std::string_view text, AtomStarts& atom_starts) {
    return parse_spec_json_by(text, AtomPath::UsualShapeFirst, &atom_starts);
}

AtomLines lines_of_positions(std::string_view text, const AtomStarts& positions) {
    spec_json::LineCounter counter(text);
    AtomLines lines;
    lines.reserve(positions.size());
    for (const std::uint64_t position : positions) lines.push_back(counter.line_at(static_cast<std::size_t>(position)));
    return lines;
}

}  // namespace quorv
