// The per-code documentation pages, compiled in from docs/codes/*.md.
#pragma once

#include <span>
#include <string_view>

namespace quorv::cli {

struct EmbeddedPage {
    std::string_view name;  // the page's file name without ".md": the code it documents
    std::string_view text;  // the markdown, byte for byte
};

// Every page, sorted by name.
std::span<const EmbeddedPage> embedded_pages();

}  // namespace quorv::cli
