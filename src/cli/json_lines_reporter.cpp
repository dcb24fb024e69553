// The JSON format: one JSON object per line, for tools. Every object has a
// "type": "finding", "failure" (an input that could not be read, searched or
// parsed), "skipped", and a last "summary".
#include "cli/json_writer.h"
#include "cli/reporter.h"

namespace quorv::cli {

namespace {

class JsonLinesReporter final : public Reporter {
public:
    explicit JsonLinesReporter(const OutputStreams& streams) : streams_(streams) {}

    void report(const FileReport& report) override {
        switch (report.outcome) {
            case FileReport::Outcome::Linted:
                for (const ReportedFinding& finding : report.findings) write_finding(report.path, finding);
                return;
            case FileReport::Outcome::Failed: write_problem("failure", report); return;
            case FileReport::Outcome::Skipped: write_problem("skipped", report); return;
        }
    }

    void finish(const RunTotals& totals) override {
        JsonWriter json;
        json.begin_object()
            .key("type").string("summary")
            .key("errors").number(totals.errors)
            .key("warnings").number(totals.warnings)
            .key("files").number(totals.files_linted)
            .key("failures").number(totals.failures)
            .key("exit_status").number(std::int64_t{totals.exit_status})
            .end_object();
        write_line(json);
        std::fflush(streams_.out);
    }

private:
    void write_finding(const std::string& path, const ReportedFinding& finding) {
        JsonWriter json;
        json.begin_object().key("type").string("finding").key("path").string(path).key("line");
        if (finding.line) json.number(*finding.line);
        else json.null();
        json.key("code").string(finding.code)
            .key("severity").string(severity_text(finding.severity))
            .key("message").string(finding.message)
            .end_object();
        write_line(json);
    }

    void write_problem(std::string_view type, const FileReport& report) {
        JsonWriter json;
        json.begin_object().key("type").string(type).key("path").string(report.path)
            .key("message").string(report.problem).end_object();
        write_line(json);
    }

    void write_line(const JsonWriter& json) { write_text(streams_.out, json.text() + "\n"); }

    OutputStreams streams_;
};

}  // namespace

std::unique_ptr<Reporter> make_json_lines_reporter(const OutputStreams& streams) {
    return std::make_unique<JsonLinesReporter>(streams);
}

}  // namespace quorv::cli
