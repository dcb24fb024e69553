// The three kinds of input, and how a file's name chooses one.
#pragma once

#include <string_view>

namespace quorv::front {

enum class InputKind { PythonSource, Xyz, ClusterSpecJson };

// By the byte-wise, case-sensitive suffix of the whole path text, never by
// content: ".py" is source, ".xyz" is XYZ, anything else a JSON cluster spec.
constexpr InputKind input_kind_for_path(std::string_view path) {
    if (path.ends_with(".py")) return InputKind::PythonSource;
    if (path.ends_with(".xyz")) return InputKind::Xyz;
    return InputKind::ClusterSpecJson;
}

}  // namespace quorv::front
