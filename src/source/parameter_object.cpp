#include "source/parameter_object.h"

#include <algorithm>

#include "text/white_space.h"
#include "source/patterns.h"

namespace quorv::seed_check {

namespace {
std::int64_t bracket_step(char c) {
    switch (c) {
        case '(':
        case '[':
        case '{': return 1;
        case ')':
        case ']':
        case '}': return -1;
        default: return 0;
    }
}
}  // namespace

template <typename Offset>
ParameterObjectTest<Offset>::ParameterObjectTest(std::string_view source, const PositionList<Offset>& equals_signs,
                                                 const PositionList<Offset>& keywords)
    : source_(source), equals_signs_(equals_signs), seed_attributes_(source, keywords) {
    if (seed_attributes_.empty()) return;
    std::make_signed_t<Offset> depth = 0;
    for (std::size_t pos = 0; pos < source.size(); ++pos) {
        if (source[pos] == ',') commas_.push_back({depth, static_cast<Offset>(pos)});
        depth = static_cast<std::make_signed_t<Offset>>(depth + bracket_step(source[pos]));
    }
    std::stable_sort(commas_.begin(), commas_.end(), [](const Comma& a, const Comma& b) { return a.depth < b.depth; });

    for (std::size_t i = 0; i + 1 < commas_.size(); ++i) {
        // Each gap is scanned once here, so its shape is not remembered.
        if (commas_[i + 1].depth == commas_[i].depth &&
            piece_fits(scan_value(value_begin(commas_[i].pos + 1, commas_[i + 1].pos)), commas_[i + 1].pos)) {
            seeded_gaps_.push_back(static_cast<Offset>(i));
        }
    }
}

template <typename Offset>
bool ParameterObjectTest<Offset>::names_seeded_object(const CallSite& call) {
    if (seed_attributes_.empty()) return false;
    const auto by_depth_then_position = [](const Comma& a, const Comma& b) {
        return a.depth != b.depth ? a.depth < b.depth : a.pos < b.pos;
    };
    using Depth = std::make_signed_t<Offset>;
    const Comma call_begin{static_cast<Depth>(call.bracket_depth), static_cast<Offset>(call.args_begin)};
    const Comma call_end{static_cast<Depth>(call.bracket_depth), static_cast<Offset>(call.args_end)};
    const auto first = std::lower_bound(commas_.begin(), commas_.end(), call_begin, by_depth_then_position);
    const auto last = std::lower_bound(first, commas_.end(), call_end, by_depth_then_position);
    if (first == last) return piece_names_seeded_object(call.args_begin, call.args_end);

    const auto first_index = static_cast<std::size_t>(first - commas_.begin());
    const auto last_index = static_cast<std::size_t>(last - commas_.begin()) - 1;
    const auto seeded_gap = std::lower_bound(seeded_gaps_.begin(), seeded_gaps_.end(), first_index,
                                             [](Offset gap, std::size_t wanted) { return gap < wanted; });
    return piece_names_seeded_object(call.args_begin, first->pos) ||
           (seeded_gap != seeded_gaps_.end() && *seeded_gap < last_index) ||
           piece_names_seeded_object(commas_[last_index].pos + 1, call.args_end);
}

template <typename Offset>
std::size_t ParameterObjectTest<Offset>::value_begin(std::size_t piece_begin, std::size_t piece_end) const {
    const auto equals_sign = equals_signs_.first_within(piece_begin, piece_end);
    return equals_sign ? *equals_sign + 1 : piece_begin;
}

// A piece ends at a ",", at the ")" of its call or at the end of the text:
// never inside a blank, never inside an identifier. So the value's shape,
// scanned over the whole text, says whether the piece trims to an identifier.
template <typename Offset>
bool ParameterObjectTest<Offset>::piece_fits(const ValueShape& shape, std::size_t piece_end) {
    return shape.names_seeded_object && shape.trailing_blanks_end == piece_end;
}

template <typename Offset>
bool ParameterObjectTest<Offset>::piece_names_seeded_object(std::size_t begin, std::size_t end) {
    const std::size_t start = value_begin(begin, end);
    auto known = shapes_.find(start);
    if (known == shapes_.end()) known = shapes_.emplace(start, scan_value(start)).first;
    return piece_fits(known->second, end);
}

template <typename Offset>
typename ParameterObjectTest<Offset>::ValueShape ParameterObjectTest<Offset>::scan_value(std::size_t begin) const {
    ValueShape shape{};
    shape.blanks_end = skip_white_space(begin);
    shape.run_end = shape.blanks_end;
    while (shape.run_end < source_.size() && is_identifier_char(source_[shape.run_end])) ++shape.run_end;
    shape.trailing_blanks_end = skip_white_space(shape.run_end);
    shape.names_seeded_object =
        shape.run_end > shape.blanks_end && is_identifier_start(source_[shape.blanks_end]) &&
        seed_attributes_.has_seed_attribute(source_.substr(shape.blanks_end, shape.run_end - shape.blanks_end));
    return shape;
}

template <typename Offset>
std::size_t ParameterObjectTest<Offset>::skip_white_space(std::size_t pos) const {
    while (std::size_t blank = white_space_at(source_, pos)) pos += blank;
    return pos;
}

template class ParameterObjectTest<std::uint32_t>;
template class ParameterObjectTest<std::uint64_t>;

}  // namespace quorv::seed_check
