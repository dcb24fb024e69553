// --statistics: instead of each finding, how many of each code the run found,
// most frequent first ("   12  bare-heteroatom  error"), or one JSON object
// per code with --format json; then the format's own summary.
#include <algorithm>
#include <array>
#include <string>

#include "cli/json_writer.h"
#include "cli/reporter.h"
#include "text/format.h"

namespace quorv::cli {

namespace {

constexpr std::size_t kCountWidth = 5;

class StatisticsReporter final : public Reporter {
public:
    StatisticsReporter(std::unique_ptr<Reporter> inner, OutputFormat format, const OutputStreams& streams)
        : inner_(std::move(inner)), json_(format == OutputFormat::Json), streams_(streams) {}

    void finding(std::string_view, const Finding& finding) override {
        ++counts_[static_cast<std::size_t>(finding.code())];
    }

    void problem(std::string_view path, const InputProblem& problem) override { inner_->problem(path, problem); }

    void finish(const RunTotals& totals) override {
        std::array<std::size_t, kCatalog.size()> order{};
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return counts_[a] > counts_[b]; });
        std::size_t widest = 0;
        for (const CodeEntry& entry : kCatalog) widest = std::max(widest, entry.name.size());
        for (std::size_t index : order) {
            if (counts_[index] == 0) break;
            const CodeEntry& entry = kCatalog[index];
            if (json_) {
                JsonWriter json;
                json.begin_object()
                    .key("type").string("statistic")
                    .key("code").string(entry.name)
                    .key("severity").string(severity_text(entry.severity))
                    .key("count").number(counts_[index])
                    .end_object()
                    .newline();
                streams_.out.write(json.text());
            } else {
                const std::string count = decimal(counts_[index]);
                std::string line(count.size() < kCountWidth ? kCountWidth - count.size() : 0, ' ');
                line += count + "  " + std::string(entry.name);
                line.append(widest + 2 - entry.name.size(), ' ');
                line += severity_text(entry.severity);
                streams_.out.write(line + "\n");
            }
        }
        inner_->finish(totals);
    }

private:
    std::unique_ptr<Reporter> inner_;
    bool json_;
    OutputStreams streams_;
    std::array<std::uint64_t, kCatalog.size()> counts_{};
};

}  // namespace

std::unique_ptr<Reporter> make_statistics_reporter(std::unique_ptr<Reporter> inner, OutputFormat format,
                                                   const OutputStreams& streams) {
    return std::make_unique<StatisticsReporter>(std::move(inner), format, streams);
}

}  // namespace quorv::cli
