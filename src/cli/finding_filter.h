// Between the rules and the report: drops the findings the settings leave
// out or a suppression silences, and remembers which suppressions silenced
// something, so that those that silenced nothing can be reported.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "cli/input_report.h"
#include "cli/noqa.h"
#include "cli/project_config.h"
#include "cli/structure_noqa.h"
#include "front/input_kind.h"
#include "lib/lint.h"

namespace quorv::cli {

// With `warn_unused`, suppressions that silenced nothing are reported as
// unused-noqa warnings: each code of a suppression that silenced nothing, a
// bare structure noqa that silenced nothing, and each name in a structure's
// suppression that is no code. Of a Python line's comment only our codes
// count: a bare "# noqa" or another linter's code there is no concern of ours.
class FindingFilter final : public FindingSink {
public:
    // `codes`: the codes to report for this input. The noqa comments of a
    // Python text are indexed at its first finding that has a line.
    // Only a Python text's `text` is read.
    FindingFilter(CodeSet codes, front::InputKind kind, std::string_view text, bool warn_unused, InputEvents& report);

    // The findings of one structure (a spec, or a frame of an XYZ text) come
    // between these two, with the structure's own suppression if it has one.
    void begin_structure(std::optional<StructureNoqa> noqa);
    void end_structure();

    void accept(Finding&& finding) override;

    // After the last finding: reports the unused comments of Python lines.
    void finish();

private:
    bool silenced(const Finding& finding);
    const NoqaIndex& noqa_index();
    // An unused-noqa finding, unless the settings leave the code out.
    void report(Finding&& finding);
    // "# noqa: a, b": a finding for each of its codes that silenced nothing.
    void report_unused_codes(const NoqaComment& comment, const CodeSet& used, const Location& at);

    CodeSet codes_;
    front::InputKind kind_;
    std::string_view text_;
    bool warn_unused_;
    std::optional<StructureNoqa> structure_;
    CodeSet structure_used_;
    InputEvents& report_;
    std::optional<NoqaIndex> noqa_;
    std::vector<CodeSet> noqa_used_;  // per entry of the index
};

}  // namespace quorv::cli
