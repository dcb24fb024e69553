#include "xyz/frame_comment.h"

#include <string>
#include <utility>

#include "xyz/extended_keys.h"
#include "xyz/periodic_comment.h"

namespace quorv::xyz {

namespace {

// The extended keys are key=value pairs: a line without "=" has none.
bool may_hold_extended_keys(std::string_view comment) { return comment.find('=') != std::string_view::npos; }

// The layout of a Properties value, or its error text. A data set repeats
// one value on every frame, so the last one read on this thread is kept
// with its layout.
const std::variant<AtomColumns, std::string>& properties_layout(std::string_view value) {
    struct Last {
        std::optional<std::string> value;
        std::variant<AtomColumns, std::string> layout;
    };
    thread_local Last last;
    if (last.value != value) {
        last.layout = read_properties(value);
        last.value.emplace(value);
    }
    return last.layout;
}

}  // namespace

std::variant<FrameComment, ReadError> read_frame_comment(std::string_view comment) {
    FrameComment read;
    read.charge_and_multiplicity = read_comment_line(comment);
    if (!may_hold_extended_keys(comment)) return read;
    ExtendedKeys keys;
    find_extended_keys(comment, keys);
    auto cell = read_periodic_cell(keys);
    if (auto* error = std::get_if<std::string>(&cell)) return ReadError{std::move(*error)};
    read.cell = std::move(std::get<std::optional<geometry::PeriodicCell>>(cell));
    if (!keys.properties) return read;
    const auto& columns = properties_layout(*keys.properties);
    if (const auto* error = std::get_if<std::string>(&columns)) return ReadError{*error};
    const auto& layout = std::get<AtomColumns>(columns);
    // The plain layout reads by the plain reader: the same results to the byte.
    if (!layout.plain()) read.columns = layout;
    return read;
}

}  // namespace quorv::xyz
