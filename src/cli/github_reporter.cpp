// The github format: one GitHub Actions workflow command per finding, which
// the Actions log turns into an annotation on the file and line:
//
//     ::error file=w.xyz,line=3,title=bare-heteroatom::atom 0 (O) has no ...
//
// Inputs that could not be linted are errors on their file, skips notices.
// Values are escaped as the runner reads them back: "%", CR and LF in the
// message; those and ":" and "," in a property.
#include <string>

#include "cli/program_name.h"
#include "cli/reporter.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

void append_escaped(std::string& out, std::string_view text, bool property) {
    for (char c : text) {
        switch (c) {
            case '%': out += "%25"; break;
            case '\r': out += "%0D"; break;
            case '\n': out += "%0A"; break;
            case ':': out += property ? "%3A" : ":"; break;
            case ',': out += property ? "%2C" : ","; break;
            default: out += c; break;
        }
    }
}

class GithubReporter final : public Reporter {
public:
    explicit GithubReporter(const OutputStreams& streams) : streams_(streams) {}

    void finding(std::string_view path, const Finding& finding) override {
        write(finding.severity() == Severity::Error ? "error" : "warning", path, finding.location().line(),
              finding.code_name(), message_after_lead(finding));
    }

    void problem(std::string_view path, const InputProblem& problem) override {
        const bool failed = problem.kind == InputProblem::Kind::Failure;
        write(failed ? "error" : "notice", path, problem.location.line(), kProgramName, problem.message);
    }

    void finish(const RunTotals&) override {}

private:
    void write(std::string_view command, std::string_view path, std::optional<std::uint64_t> line,
               std::string_view title, std::string_view message) {
        line_.assign("::");
        line_ += command;
        line_ += " file=";
        append_escaped(line_, path, true);
        if (line) {
            line_ += ",line=";
            line_ += decimal(*line);
        }
        line_ += ",title=";
        append_escaped(line_, title, true);
        line_ += "::";
        append_escaped(line_, message, false);
        line_ += '\n';
        streams_.out.write(line_);
    }

    OutputStreams streams_;
    std::string line_;
};

}  // namespace

std::unique_ptr<Reporter> make_github_reporter(const OutputStreams& streams) {
    return std::make_unique<GithubReporter>(streams);
}

}  // namespace quorv::cli
