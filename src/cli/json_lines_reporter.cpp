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

void write_line_and_frame(JsonWriter& json, const Location& location) {
    json.key("line");
    write_optional(json, location.line());
    json.key("frame");
    write_optional(json, location.frame());
}

class JsonLinesReporter final : public Reporter {
public:
    explicit JsonLinesReporter(const OutputStreams& streams) : streams_(streams) {}

    void finding(std::string_view path, const Finding& finding) override {
        JsonWriter json;
        const Location& location = finding.location();
        json.begin_object().key("type").string("finding").key("path").string(path);
        write_line_and_frame(json, location);
        json.key("atoms").begin_array();
        for (std::uint64_t atom : location.atoms()) json.number(atom);
        json.end_array();
        json.key("code").string(finding.code_name())
            .key("severity").string(severity_text(finding.severity()))
            .key("message").string(message_after_lead(finding))
            .end_object();
        write_line(json);
    }

    void problem(std::string_view path, const InputProblem& problem) override {
        JsonWriter json;
        const bool failed = problem.kind == InputProblem::Kind::Failure;
        json.begin_object().key("type").string(failed ? "failure" : "skipped").key("path").string(path);
        if (failed) write_line_and_frame(json, problem.location);
        json.key("message").string(problem.message).end_object();
        write_line(json);
    }

    void finish(const RunTotals& totals) override {
        JsonWriter json;
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
    void write_line(JsonWriter& json) {
        json.newline();
        streams_.out.write(json.text());
    }

    OutputStreams streams_;
};

}  // namespace

std::unique_ptr<Reporter> make_json_lines_reporter(const OutputStreams& streams) {
    return std::make_unique<JsonLinesReporter>(streams);
}

}  // namespace quorv::cli
