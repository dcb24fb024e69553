#include "cli/code_pages.h"

#include "cli/embedded_pages.h"

namespace quorv::cli {

namespace {

// Splits off the next line (without its line feed) and advances the rest.
std::string_view next_line(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return line;
}

}  // namespace

const CodeEntry* find_code(std::string_view name) {
    for (const CodeEntry& entry : kCatalog) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::optional<std::string_view> code_page(std::string_view code) {
    for (const EmbeddedPage& page : embedded_pages()) {
        if (page.name == code) return page.text;
    }
    return std::nullopt;
}

std::string_view page_summary(std::string_view page) {
    std::string_view rest = page;
    next_line(rest);  // the "# code" title
    while (!rest.empty()) {
        std::string_view line = next_line(rest);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") != std::string_view::npos) return line;
    }
    return {};
}

}  // namespace quorv::cli
