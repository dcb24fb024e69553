// The examples of the code pages that run with --preview, through the
// preview rules: the command does not take --preview yet, so its own page
// test cannot run them.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "lib/lint.h"
#include "spec_json/spec_json_reader.h"
#include "xyz/xyz_reader.h"

using namespace quorv;

namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text from a "## " heading to the next one.
std::string section(const std::string& page, const std::string& heading) {
    const std::size_t start = page.find(heading + "\n");
    if (start == std::string::npos) return {};
    const std::size_t end = page.find("\n## ", start + 1);
    return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

struct Fence {
    std::string language;
    std::string body;
};

std::vector<Fence> fences(const std::string& text) {
    std::vector<Fence> found;
    std::size_t at = 0;
    while ((at = text.find("```", at)) != std::string::npos) {
        const std::size_t language_end = text.find('\n', at);
        const std::size_t close = text.find("\n```", language_end);
        if (language_end == std::string::npos || close == std::string::npos) break;
        found.push_back({text.substr(at + 3, language_end - at - 3), text.substr(language_end + 1, close - language_end)});
        at = close + 4;
    }
    return found;
}

// "name: code severity message" per finding, as the command prints them.
std::vector<std::string> preview_lines(const Fence& input, const std::string& file_name) {
    const ReadResult read = input.language == "xyz" ? parse_xyz(input.body) : parse_spec_json(input.body);
    if (const auto* error = std::get_if<ReadError>(&read)) return {"unreadable: " + error->message};
    std::vector<std::string> lines;
    for (const Finding& finding : lint(std::get<ClusterSpec>(read), RuleSet::Preview)) {
        lines.push_back(file_name + ": " + std::string(finding.code_name()) + " " +
                        std::string(severity_text(finding.severity())) + " " + finding.message());
    }
    return lines;
}

}  // namespace

TEST(preview_examples_of_the_code_pages) {
    std::size_t examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUORV_SOURCE_DIR) / "docs" / "codes")) {
        const std::string page = read_file(entry.path());
        const std::vector<Fence> example = fences(section(page, "## Example"));
        const std::vector<Fence> fixed = fences(section(page, "## Use instead"));
        if (example.size() < 2 || example[1].language != "console" || fixed.empty()) continue;
        std::istringstream console(example[1].body);
        std::string command;
        std::getline(console, command);
        const std::string lead = "$ quorv-lint --preview ";
        if (!command.starts_with(lead)) continue;
        const std::string file_name = command.substr(lead.size());
        std::vector<std::string> shown;
        for (std::string line; std::getline(console, line);) shown.push_back(line);
        shown.pop_back();  // the summary line
        CHECK_EQ(preview_lines(example[0], file_name) == shown, true);
        CHECK_EQ(preview_lines(fixed[0], file_name).empty(), true);
        ++examples;
    }
    CHECK(examples >= 1);
}
