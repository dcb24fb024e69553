// Any bytes as Python source through the command's noqa index: for every
// line and every code it must answer exactly as the comment of that line,
// read on its own, does. The index is built in one pass; libFuzzer's time
// limit catches any input that makes it slow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/noqa.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const quorv::cli::NoqaIndex index(text);
    std::uint64_t line_number = 1;
    std::string_view rest = text;
    for (;;) {
        const std::size_t feed = rest.find('\n');
        const auto comment = quorv::cli::find_noqa(rest.substr(0, feed));
        for (const quorv::CodeEntry& entry : quorv::kCatalog) {
            const bool expected = comment && quorv::cli::silences(*comment, entry.code);
            if (index.silences(line_number, entry.code) != expected) std::abort();
        }
        if (feed == std::string_view::npos) break;
        rest.remove_prefix(feed + 1);
        ++line_number;
    }
    // Past the last line there is nothing to silence.
    if (index.silences(line_number + 1, quorv::Code::ConformerNoSeed)) std::abort();
    return 0;
}
