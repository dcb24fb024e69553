// The line on which each atom's value starts, as the reader reports it for
// findings to point at (through where the value starts): through the fast
// path and the general reader alike.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "spec_json/spec_json_reader.h"

using namespace quorv;
using spec_json::AtomPath;

TEST(json_reader_gives_the_line_where_each_atom_starts) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::uint64_t> lines;
    };
    const Case cases[] = {
        {"one line", R"({"atoms": [{"element": "O", "x": 0, "y": 0, "z": 0}, ["H", 1, 0, 0]]})", {1, 1}},
        {"blank lines before the document", "\n\n\n{\"atoms\": [[\"H\", 1, 0, 0]]}", {4}},
        {"one atom a line, LF",
         "{\"atoms\": [\n  {\"element\": \"O\", \"x\": 0, \"y\": 0, \"z\": 0},\n  [\"H\", 1, 0, 0]\n]}", {2, 3}},
        {"one atom a line, CR LF",
         "{\"atoms\": [\r\n  {\"element\": \"O\", \"x\": 0, \"y\": 0, \"z\": 0},\r\n  [\"H\", 1, 0, 0]\r\n]}", {2, 3}},
        {"atoms spread over lines (json.dumps with indent)",
         "{\n \"atoms\": [\n  {\n   \"element\": \"O\",\n   \"x\": 0,\n   \"y\": 0,\n   \"z\": 0\n  },\n"
         "  {\n   \"element\": \"H\",\n   \"x\": 1,\n   \"y\": 0,\n   \"z\": 0\n  }\n ]\n}",
         {3, 9}},
        {"an atom whose value starts on the line after the comma",
         "{\"atoms\": [[\"O\", 0, 0, 0],\n\n[\"H\", 1, 0, 0]]}", {1, 3}},
        {"unusual atoms (general reader) between usual ones",
         "{\"note\": \"a\\nb\",\n\"atoms\": [{\"z\": 0, \"y\": 0, \"x\": 0,\n \"element\": \"\\u004F\"},\n"
         "{\"element\": \"H\", \"x\": 1e0, \"y\": 0, \"z\": 0}, {\"element\": \"H\", \"x\": 1, \"y\": 0, \"z\": 0}]}",
         {2, 4, 4}},
        {"the array form of the document",
         "[\n  [\n    [\"O\", 0, 0, 0],\n    [\"H\", 1, 0, 0]\n  ],\n  0,\n  1\n]", {3, 4}},
        {"no atoms", "{\"atoms\": []}", {}},
    };
    for (const Case& c : cases) {
        for (AtomPath path : {AtomPath::UsualShapeFirst, AtomPath::GeneralOnly}) {
            AtomStarts starts{99};  // replaced, not appended to
            const ReadResult result = spec_json::parse_spec_json_by(c.text, path, &starts);
            CHECK(std::holds_alternative<ClusterSpec>(result));
            const AtomLines lines = lines_of_positions(c.text, starts);
            if (lines != c.lines) ::quorv::testing::fail(__FILE__, __LINE__, std::string("lines of: ") + c.name);
        }
    }
}

TEST(json_reader_lines_match_the_plain_entry_point_and_empty_on_failure) {
    const std::string valid = "{\"atoms\": [\n[\"O\", 0, 0, 0]]}";
    AtomLines lines;
    const ReadResult with_lines = parse_spec_json(valid, lines);
    const ReadResult without = parse_spec_json(valid);
    CHECK(std::holds_alternative<ClusterSpec>(with_lines) && std::holds_alternative<ClusterSpec>(without));
    CHECK(lines == AtomLines{2});

    // A failure after some atoms were read leaves no lines behind.
    const ReadResult failed = parse_spec_json("{\"atoms\": [[\"O\", 0, 0, 0],\n[\"H\", 0, 0]]}", lines);
    CHECK(std::holds_alternative<ReadError>(failed));
    CHECK(lines.empty());
}
