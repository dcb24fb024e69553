#include "cli/finding_filter.h"

namespace quorv::cli {

FindingFilter::FindingFilter(CodeSet codes, front::InputKind kind, std::string_view text, bool warn_unused,
                             InputEvents& report)
    : codes_(codes), kind_(kind), text_(text), warn_unused_(warn_unused), report_(report) {}

void FindingFilter::begin_structure(std::optional<StructureNoqa> noqa) {
    structure_ = std::move(noqa);
    structure_used_.reset();
}

void FindingFilter::end_structure() {
    if (!structure_ || !warn_unused_) return;
    Location at = Location::at_line(structure_->line);
    if (structure_->frame) at.set_frame(*structure_->frame);
    if (structure_->comment.every_code) {
        if (structure_used_.none()) report(make_finding(messages::kUnusedBareNoqa, at));
    } else {
        report_unused_codes(structure_->comment, structure_used_, at);
    }
    for (const std::string& name : structure_->unknown_codes) {
        report(make_finding(messages::kUnknownNoqaCode, at, std::string_view(name)));
    }
    structure_.reset();
}

void FindingFilter::accept(Finding&& finding) {
    if (!codes_.test(static_cast<std::size_t>(finding.code())) || silenced(finding)) return;
    report_.finding(std::move(finding));
}

bool FindingFilter::silenced(const Finding& finding) {
    const auto code = static_cast<std::size_t>(finding.code());
    if (structure_ && silences(structure_->comment, finding.code())) {
        structure_used_.set(code);
        return true;
    }
    const auto line = finding.location().line();
    if (kind_ != front::InputKind::PythonSource || !line) return false;
    const NoqaIndex::Entry* entry = noqa_index().entry_at(*line);
    if (entry == nullptr || !silences(entry->comment, finding.code())) return false;
    noqa_used_[static_cast<std::size_t>(entry - noqa_->entries().data())].set(code);
    return true;
}

const NoqaIndex& FindingFilter::noqa_index() {
    if (!noqa_) {
        noqa_.emplace(text_);
        noqa_used_.resize(noqa_->entries().size());
    }
    return *noqa_;
}

void FindingFilter::report_unused_codes(const NoqaComment& comment, const CodeSet& used, const Location& at) {
    for (const CodeEntry& entry : kCatalog) {
        const auto index = static_cast<std::size_t>(entry.code);
        if (comment.codes.test(index) && !used.test(index)) {
            report(make_finding(messages::kUnusedNoqaCode, at, entry.name));
        }
    }
}

void FindingFilter::report(Finding&& finding) {
    if (codes_.test(static_cast<std::size_t>(finding.code()))) report_.finding(std::move(finding));
}

void FindingFilter::finish() {
    if (kind_ != front::InputKind::PythonSource || !warn_unused_) return;
    const auto& entries = noqa_index().entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const NoqaIndex::Entry& entry = entries[i];
        if (entry.comment.every_code) continue;
        report_unused_codes(entry.comment, noqa_used_[i], Location::at_line(entry.line));
    }
}

}  // namespace quorv::cli
