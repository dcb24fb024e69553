#include "cli/file_kinds.h"

#include "text/ascii.h"

namespace quorv::cli {

namespace {

struct Suffix {
    std::string_view text;  // in lower case
    front::InputKind kind;
};

constexpr Suffix kSuffixes[] = {
    {".py", front::InputKind::PythonSource},
    {".xyz", front::InputKind::Xyz},
    {".extxyz", front::InputKind::Xyz},
    {".json", front::InputKind::ClusterSpecJson},
};

}  // namespace

std::optional<front::InputKind> searched_kind(std::string_view name) {
    for (const Suffix& suffix : kSuffixes) {
        if (name.size() >= suffix.text.size() &&
            equals_ignoring_ascii_case(name.substr(name.size() - suffix.text.size()), suffix.text)) {
            return suffix.kind;
        }
    }
    return std::nullopt;
}

front::InputKind named_file_kind(std::string_view path) {
    return searched_kind(path).value_or(front::InputKind::ClusterSpecJson);
}

}  // namespace quorv::cli
