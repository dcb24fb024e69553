#include "cli/reporter.h"

namespace quorv::cli {

std::unique_ptr<Reporter> make_reporter(OutputFormat format, const OutputStreams& streams) {
    switch (format) {
        case OutputFormat::Json: return make_json_lines_reporter(streams);
        case OutputFormat::Sarif: return make_sarif_reporter(streams);
        case OutputFormat::Github: return make_github_reporter(streams);
        case OutputFormat::Text: break;
    }
    return make_text_reporter(streams);
}

}  // namespace quorv::cli
