// The SARIF 2.1.0 format, for code-scanning views: one run whose driver lists
// every code as a rule (with its documentation page as help), one result per
// finding (with a region where the finding carries a line), and the inputs
// that could not be linted as notifications of the invocation.
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

std::size_t rule_index(std::string_view code) {
    for (std::size_t i = 0; i < kCatalog.size(); ++i) {
        if (kCatalog[i].name == code) return i;
    }
    return kCatalog.size();
}

void write_location(JsonWriter& json, const std::string& path, std::optional<std::uint64_t> line) {
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

class SarifReporter final : public Reporter {
public:
    explicit SarifReporter(const OutputStreams& streams) : streams_(streams) {
        results_.begin_array();
        notifications_.begin_array();
    }

    void report(const FileReport& report) override {
        if (report.outcome == FileReport::Outcome::Linted) {
            for (const ReportedFinding& finding : report.findings) add_result(report.path, finding);
        } else {
            add_notification(report);
        }
    }

    void finish(const RunTotals& totals) override {
        results_.end_array();
        notifications_.end_array();

        JsonWriter json;
        json.begin_object().key("$schema").string(kSchemaUri).key("version").string(kSarifVersion);
        json.key("runs").begin_array().begin_object();
        json.key("tool").begin_object().key("driver").begin_object()
            .key("name").string(kProgramName)
            .key("version").string(kVersion)
            .key("semanticVersion").string(kVersion);
        write_rules(json);
        json.end_object().end_object();
        json.key("invocations").begin_array().begin_object()
            .key("executionSuccessful").boolean(totals.failures == 0)
            .key("exitCode").number(std::int64_t{totals.exit_status});
        // Both lists were built as the reports came in.
        json.key("toolExecutionNotifications").raw(notifications_.text()).end_object().end_array();
        json.key("results").raw(results_.text()).end_object().end_array().end_object();
        write_text(streams_.out, json.text() + "\n");
        std::fflush(streams_.out);
    }

private:
    void add_result(const std::string& path, const ReportedFinding& finding) {
        results_.begin_object()
            .key("ruleId").string(finding.code)
            .key("ruleIndex").number(std::uint64_t{rule_index(finding.code)})
            .key("level").string(level(finding.severity))
            .key("message").begin_object().key("text").string(finding.message).end_object()
            .key("locations");
        write_location(results_, path, finding.line);
        results_.end_object();
    }

    void add_notification(const FileReport& report) {
        const bool failed = report.outcome == FileReport::Outcome::Failed;
        notifications_.begin_object()
            .key("level").string(failed ? "error" : "note")
            .key("message").begin_object().key("text").string(report.problem).end_object()
            .key("locations");
        write_location(notifications_, report.path, std::nullopt);
        notifications_.end_object();
    }

    OutputStreams streams_;
    JsonWriter results_;
    JsonWriter notifications_;
};

}  // namespace

std::unique_ptr<Reporter> make_sarif_reporter(const OutputStreams& streams) {
    return std::make_unique<SarifReporter>(streams);
}

}  // namespace quorv::cli
