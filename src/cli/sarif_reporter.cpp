// The SARIF 2.1.0 format, for code-scanning views: one run whose driver lists
// every code as a rule (with its documentation page as help), one result per
// finding (with a region where the finding carries a line, and the atoms and
// frame it names as properties), and the inputs (or frames) that could not be
// linted as notifications of the invocation, located alike. Results are written as they come, so the
// log's memory never grows with them; only the notifications wait.
#include <string>
#include <vector>

#include "cli/code_pages.h"
#include "cli/json_writer.h"
#include "cli/reporter.h"
#include "cli/program_name.h"
#include "version.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kSchemaUri =
    "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json";
constexpr std::string_view kSarifVersion = "2.1.0";
constexpr std::string_view kFileScheme = "file://";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// SARIF levels match the severity words, except that a skip is only a note.
std::string_view level(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

bool is_unreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

// A path as a URI reference: relative paths stay relative (to where the
// command ran), absolute ones become file URIs; everything else is escaped.
std::string path_uri(std::string_view path) {
    std::string uri = path.starts_with('/') ? std::string(kFileScheme) : std::string();
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (is_unreserved(byte)) {
            uri += c;
        } else {
            uri += '%';
            uri += kHexDigits[byte >> 4];
            uri += kHexDigits[byte & 0xF];
        }
    }
    return uri;
}

// "some-code-name" -> "SomeCodeName": the rule's readable name.
std::string rule_name(std::string_view code) {
    std::string name;
    bool capital = true;
    for (char c : code) {
        if (c == '-') {
            capital = true;
        } else {
            name += capital && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            capital = false;
        }
    }
    return name;
}

void write_location(JsonWriter& json, std::string_view path, std::optional<std::uint64_t> line) {
    json.begin_array().begin_object().key("physicalLocation").begin_object();
    json.key("artifactLocation").begin_object().key("uri").string(path_uri(path)).end_object();
    if (line) json.key("region").begin_object().key("startLine").number(*line).end_object();
    json.end_object().end_object().end_array();
}

void write_rules(JsonWriter& json) {
    json.key("rules").begin_array();
    for (const CodeEntry& entry : kCatalog) {
        const std::string_view page = code_page(entry.name).value_or(std::string_view());
        json.begin_object()
            .key("id").string(entry.name)
            .key("name").string(rule_name(entry.name))
            .key("shortDescription").begin_object().key("text").string(page_summary(page)).end_object()
            .key("help").begin_object().key("text").string(page).key("markdown").string(page).end_object()
            .key("defaultConfiguration").begin_object().key("level").string(level(entry.severity)).end_object()
            .end_object();
    }
    json.end_array();
}

// Where a finding points beyond its line: SARIF's place for such data is a
// property bag.
void write_properties(JsonWriter& json, const Location& location) {
    if (location.atoms().empty() && !location.frame()) return;
    json.key("properties").begin_object();
    if (!location.atoms().empty()) {
        json.key("atoms").begin_array();
        for (std::uint64_t atom : location.atoms()) json.number(atom);
        json.end_array();
    }
    if (const auto frame = location.frame()) json.key("frame").number(*frame);
    json.end_object();
}

std::string log_opening() {
    JsonWriter tool;
    tool.begin_object().key("driver").begin_object()
        .key("name").string(kProgramName)
        .key("version").string(kVersion)
        .key("semanticVersion").string(kVersion);
    write_rules(tool);
    tool.end_object().end_object();
    return "{\"$schema\":" + json_string_literal(kSchemaUri) + ",\"version\":" + json_string_literal(kSarifVersion) +
           ",\"runs\":[{\"tool\":" + tool.text() + ",\"results\":[";
}

class SarifReporter final : public Reporter {
public:
    explicit SarifReporter(const OutputStreams& streams) : streams_(streams) {
        streams_.out.write(log_opening());
        notifications_.begin_array();
    }

    void finding(std::string_view path, const Finding& finding) override {
        JsonWriter& result = result_;
        result.clear();
        result.begin_object()
            .key("ruleId").string(finding.code_name())
            .key("ruleIndex").number(std::uint64_t{static_cast<std::size_t>(finding.code())})
            .key("level").string(level(finding.severity()))
            .key("message").begin_object().key("text").string(message_after_lead(finding)).end_object()
            .key("locations");
        write_location(result, path, finding.location().line());
        write_properties(result, finding.location());
        result.end_object();
        if (any_result_) streams_.out.write(",");
        any_result_ = true;
        streams_.out.write(result.text());
    }

    void problem(std::string_view path, const InputProblem& problem) override {
        const bool failed = problem.kind == InputProblem::Kind::Failure;
        notifications_.begin_object()
            .key("level").string(failed ? "error" : "note")
            .key("message").begin_object().key("text").string(problem.message).end_object()
            .key("locations");
        write_location(notifications_, path, problem.location.line());
        write_properties(notifications_, problem.location);
        notifications_.end_object();
    }

    void finish(const RunTotals& totals) override {
        notifications_.end_array();
        JsonWriter invocation;
        invocation.begin_object()
            .key("executionSuccessful").boolean(totals.failures == 0 && totals.frames_failed == 0)
            .key("exitCode").number(std::int64_t{totals.exit_status})
            .key("toolExecutionNotifications").raw(notifications_.text())
            .key("properties").begin_object()
                .key("frames").number(totals.frames())
                .key("framesLinted").number(totals.frames_linted)
                .key("framesFailed").number(totals.frames_failed)
            .end_object()
            .end_object();
        streams_.out.write("],\"invocations\":[" + invocation.text() + "]}]}\n");
    }

private:
    OutputStreams streams_;
    bool any_result_ = false;
    JsonWriter result_;  // kept from finding to finding, so that its memory is allocated once
    JsonWriter notifications_;
};

}  // namespace

std::unique_ptr<Reporter> make_sarif_reporter(const OutputStreams& streams) {
    return std::make_unique<SarifReporter>(streams);
}

}  // namespace quorv::cli
