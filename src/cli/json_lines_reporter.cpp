// The JSON format: one JSON object per line, for tools. Every object has a
// "type": "finding", "failure" (an input, or a frame of one, that could not
// be read, searched or parsed), "skipped", and a last "summary" (which also
// counts what a search left out on purpose). A finding carries its location
// as fields: "line" and "frame" (null when it has none) and "atoms" (the
// 0-based indices it names, possibly none); a failure its "line" and "frame"
// alike.
#include "cli/json_writer.h"
#include "cli/reporter.h"

namespace quorv::cli {

namespace {

void write_optional(JsonWriter& json, std::optional<std::uint64_t> value) {
    if (value) json.number(*value);
    else json.null();
}

void append_optional(std::string& out, std::optional<std::uint64_t> value) {
    if (value) append_json_number(out, *value);
    else out += "null";
}

void write_line_and_frame(JsonWriter& json, const Location& location) {
    json.key("line");
    write_optional(json, location.line());
    json.key("frame");
    write_optional(json, location.frame());
}

class JsonLinesReporter final : public Reporter {
public:
    explicit JsonLinesReporter(const OutputStreams& streams) : streams_(streams) {}

    // Written once per finding, so put together from fixed pieces rather
    // than through the writer; the bytes are the same.
    void finding(std::string_view path, const Finding& finding) override {
        const Location& location = finding.location();
        line_.assign(R"({"type":"finding","path":)");
        append_json_string(line_, path);
        line_ += R"(,"line":)";
        append_optional(line_, location.line());
        line_ += R"(,"frame":)";
        append_optional(line_, location.frame());
        line_ += R"(,"atoms":[)";
        const auto atoms = location.atoms();
        for (std::size_t i = 0; i < atoms.size(); ++i) {
            if (i != 0) line_ += ',';
            append_json_number(line_, atoms[i]);
        }
        line_ += R"(],"code":)";
        append_json_string(line_, finding.code_name());
        line_ += R"(,"severity":)";
        append_json_string(line_, severity_text(finding.severity()));
        line_ += R"(,"message":)";
        append_json_string(line_, message_after_lead(finding));
        line_ += "}\n";
        streams_.out.write(line_);
    }

    void problem(std::string_view path, const InputProblem& problem) override {
        JsonWriter& json = start_line();
        const bool failed = problem.kind == InputProblem::Kind::Failure;
        json.begin_object().key("type").string(failed ? "failure" : "skipped").key("path").string(path);
        if (failed) write_line_and_frame(json, problem.location);
        json.key("message").string(problem.message).end_object();
        write_line(json);
    }

    void finish(const RunTotals& totals) override {
        JsonWriter& json = start_line();
        json.begin_object()
            .key("type").string("summary")
            .key("errors").number(totals.errors)
            .key("warnings").number(totals.warnings)
            .key("files").number(totals.files_linted)
            .key("failures").number(totals.failures)
            .key("frames").number(totals.frames())
            .key("frames_linted").number(totals.frames_linted)
            .key("frames_failed").number(totals.frames_failed)
            .key("not_cluster_specs").number(totals.not_cluster_specs)
            .key("ignored").number(totals.ignored)
            .key("excluded").number(totals.excluded)
            .key("exit_status").number(std::int64_t{totals.exit_status})
            .end_object();
        write_line(json);
    }

private:
    JsonWriter& start_line() {
        json_.clear();
        return json_;
    }

    void write_line(JsonWriter& json) {
        json.newline();
        streams_.out.write(json.text());
    }

    OutputStreams streams_;
    JsonWriter json_;   // for every other line
    std::string line_;  // for a finding's
    // Both kept for the whole run, so that their memory is allocated once.
};

}  // namespace

std::unique_ptr<Reporter> make_json_lines_reporter(const OutputStreams& streams) {
    return std::make_unique<JsonLinesReporter>(streams);
}

}  // namespace quorv::cli
