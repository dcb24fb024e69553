#include "lib/finding.h"

#include <bit>

#include "text/format.h"

namespace quorv {

void MessageArgs::push(ArgKind kind, std::uint64_t value) {
    // make_finding is the only caller, and its templates hold at most kMostArgs holes.
    values_[count_] = value;
    kinds_[count_] = kind;
    ++count_;
}

void MessageArgs::add(double value) { push(ArgKind::Real, std::bit_cast<std::uint64_t>(value)); }

void MessageArgs::add(std::string_view text) {
    const std::uint64_t offset = texts_.size();
    texts_.append(text);
    push(ArgKind::Text, (offset << kOffsetShift) | text.size());
}

double MessageArgs::real_value(std::size_t index) const { return std::bit_cast<double>(values_[index]); }

std::string_view MessageArgs::text_value(std::size_t index) const {
    const std::uint64_t value = values_[index];
    const std::uint64_t length_mask = (std::uint64_t{1} << kOffsetShift) - 1;
    return std::string_view(texts_).substr(value >> kOffsetShift, value & length_mask);
}

namespace {

constexpr int kFixed2Decimals = 2;
constexpr int kFixed3Decimals = 3;

void append_arg(std::string& out, HoleSpec spec, const MessageArgs& args, std::size_t index) {
    switch (args.kind(index)) {
        case ArgKind::Unsigned: out += decimal(args.unsigned_value(index)); return;
        case ArgKind::Signed:
            if (spec == HoleSpec::Signed && args.signed_value(index) >= 0) out += '+';
            out += decimal(args.signed_value(index));
            return;
        case ArgKind::Real:
            out += fixed(args.real_value(index), spec == HoleSpec::Fixed3 ? kFixed3Decimals : kFixed2Decimals);
            return;
        case ArgKind::Text: out += args.text_value(index); return;
    }
}

// Fills the template's holes in order from `first_arg` on, starting at `from`.
std::string render(std::string_view text, std::size_t from, const MessageArgs& args, std::size_t first_arg) {
    std::string out;
    out.reserve(text.size() + 32);
    std::size_t arg = first_arg;
    for (std::size_t pos = from; pos < text.size();) {
        const std::size_t open = text.find('{', pos);
        out.append(text.substr(pos, open - pos));
        if (open == std::string_view::npos) break;
        const Hole hole = hole_at(text, open);
        append_arg(out, hole.spec, args, arg++);
        pos = open + hole.length;
    }
    return out;
}

}  // namespace

std::string FindingMessage::text() const { return render(template_text(id_), 0, args_, 0); }

std::string FindingMessage::text_after_lead() const {
    if (catalog_entry(id_.code).lead != MessageLead::Line) return text();
    // The lead is "line {}: ": its hole takes the first argument.
    return render(template_text(id_), kLineLead.size(), args_, 1);
}

}  // namespace quorv
