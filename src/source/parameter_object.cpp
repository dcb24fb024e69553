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

ParameterObjectTest::ParameterObjectTest(std::string_view source, const PositionList& equals_signs,
                                         const PositionList& keywords)
    : source_(source), equals_signs_(equals_signs), seed_attributes_(source, keywords) {
    std::int64_t depth = 0;
    for (std::size_t pos = 0; pos < source.size(); ++pos) {
        if (source[pos] == ',') commas_.push_back({depth, pos});
        depth += bracket_step(source[pos]);
    }
    std::stable_sort(commas_.begin(), commas_.end(), [](const Comma& a, const Comma& b) { return a.depth < b.depth; });

    seeded_gaps_before_.assign(commas_.size() + 1, 0);
    for (std::size_t i = 0; i < commas_.size(); ++i) {
        // Each gap is scanned once here, so its shape is not remembered.
        const bool gap_counts =
            i + 1 < commas_.size() && commas_[i + 1].depth == commas_[i].depth &&
            piece_fits(scan_value(value_begin(commas_[i].pos + 1, commas_[i + 1].pos)), commas_[i + 1].pos);
        seeded_gaps_before_[i + 1] = seeded_gaps_before_[i] + (gap_counts ? 1 : 0);
    }
}

bool ParameterObjectTest::names_seeded_object(const CallSite& call) {
    const auto by_depth_then_position = [](const Comma& a, const Comma& b) {
        return a.depth != b.depth ? a.depth < b.depth : a.pos < b.pos;
    };
    const auto first = std::lower_bound(commas_.begin(), commas_.end(), Comma{call.bracket_depth, call.args_begin},
                                        by_depth_then_position);
    const auto last = std::lower_bound(first, commas_.end(), Comma{call.bracket_depth, call.args_end},
                                       by_depth_then_position);
    if (first == last) return piece_names_seeded_object(call.args_begin, call.args_end);

    const auto first_index = static_cast<std::size_t>(first - commas_.begin());
    const auto last_index = static_cast<std::size_t>(last - commas_.begin()) - 1;
    return piece_names_seeded_object(call.args_begin, first->pos) ||
           seeded_gaps_before_[last_index] != seeded_gaps_before_[first_index] ||
           piece_names_seeded_object(commas_[last_index].pos + 1, call.args_end);
}

std::size_t ParameterObjectTest::value_begin(std::size_t piece_begin, std::size_t piece_end) const {
    const auto equals_sign = equals_signs_.first_within(piece_begin, piece_end);
    return equals_sign ? *equals_sign + 1 : piece_begin;
}

// A piece ends at a ",", at the ")" of its call or at the end of the text:
// never inside a blank, never inside an identifier. So the value's shape,
// scanned over the whole text, says whether the piece trims to an identifier.
bool ParameterObjectTest::piece_fits(const ValueShape& shape, std::size_t piece_end) {
    return shape.names_seeded_object && shape.trailing_blanks_end == piece_end;
}

bool ParameterObjectTest::piece_names_seeded_object(std::size_t begin, std::size_t end) {
    const std::size_t start = value_begin(begin, end);
    auto known = shapes_.find(start);
    if (known == shapes_.end()) known = shapes_.emplace(start, scan_value(start)).first;
    return piece_fits(known->second, end);
}

ParameterObjectTest::ValueShape ParameterObjectTest::scan_value(std::size_t begin) const {
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

std::size_t ParameterObjectTest::skip_white_space(std::size_t pos) const {
    while (std::size_t blank = white_space_at(source_, pos)) pos += blank;
    return pos;
}

}  // namespace quorv::seed_check
