// What the command needs to know of a JSON file beyond what the spec reader
// reads: whether it is plainly no cluster spec, and its "noqa" key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/structure_noqa.h"

namespace quorv::cli {

struct JsonTopLevel {
    enum class Shape { Object, Array, Other, Malformed };
    Shape shape = Shape::Malformed;
    bool has_spec_key = false;  // one of the keys a cluster spec has, at the top level
    std::optional<StructureNoqa> noqa;
    std::optional<std::string> noqa_problem;  // a "noqa" key that is no list of names

    // Well-formed JSON that no cluster spec could be: a top-level object with
    // none of the spec's keys, or a value that is neither object nor array.
    bool plainly_not_a_spec() const {
        return (shape == Shape::Object && !has_spec_key) || shape == Shape::Other;
    }
};

// Reads the top level of the document, stepping over nested values. A
// "noqa" key must hold a list of code names.
JsonTopLevel read_json_top_level(std::string_view text);

}  // namespace quorv::cli
