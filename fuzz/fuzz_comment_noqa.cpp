// Any bytes as an XYZ frame through the comment line's suppression: only the
// comment line may change, only from its "# noqa" on, and only to spaces;
// the charge and multiplicity read from the line afterwards are exactly those
// of the text before the suppression. And any bytes as JSON through the
// top-level reader: no text the spec reader accepts is ever plainly no spec.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/json_top_level.h"
#include "cli/structure_noqa.h"
#include "spec_json/spec_json_reader.h"
#include "xyz/comment_line.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool same(const quorv::xyz::ChargeAndMultiplicity& a, const quorv::xyz::ChargeAndMultiplicity& b) {
    return a.charge == b.charge && a.spin_multiplicity == b.spin_multiplicity;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::string text = original;
    const auto noqa = quorv::cli::take_comment_noqa(std::span<char>(text.data(), text.size()), 1);
    require(text.size() == original.size());

    const std::size_t begin = original.find('\n');
    if (!noqa) {
        require(text == original);
    } else {
        require(begin != std::string::npos && noqa->line == 2);
        const std::size_t end = std::min(original.find('\n', begin + 1), original.size());
        const std::size_t hash = begin + 1 + noqa->comment.start;
        require(original[hash] == '#');
        for (std::size_t i = 0; i < original.size(); ++i) {
            const bool blanked = i >= hash && i < end && !(i + 1 == end && original[i] == '\r');
            require(blanked ? text[i] == ' ' : text[i] == original[i]);
        }
        const std::string_view before(original.data() + begin + 1, hash - begin - 1);
        const std::string_view after(text.data() + begin + 1, end - begin - 1);
        require(same(quorv::xyz::read_comment_line(after), quorv::xyz::read_comment_line(before)));
    }

    const quorv::cli::JsonTopLevel top = quorv::cli::read_json_top_level(original);
    if (std::holds_alternative<quorv::ClusterSpec>(quorv::parse_spec_json(original))) {
        require(!top.plainly_not_a_spec());
    }
    return 0;
}
