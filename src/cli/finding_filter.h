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

class FindingFilter final : public FindingSink {
public:
    // `codes`: the codes to report for this input. `structure`: the
    // structure's own suppression, if it has one. The noqa comments of a
    // Python text are indexed at its first finding that has a line.
    FindingFilter(CodeSet codes, front::InputKind kind, std::string_view text, std::optional<StructureNoqa> structure,
                  InputReport& report);

    void accept(Finding&& finding) override;

    // Reports, as unused-noqa warnings, each code of a suppression that
    // silenced nothing, a bare structure noqa that silenced nothing, and
    // each name in a structure's suppression that is no code. Of a Python
    // line's comment only our codes count: a bare "# noqa" or another
    // linter's code there is no concern of ours.
    void report_unused();

private:
    bool silenced(const Finding& finding);
    const NoqaIndex& noqa_index();
    void report(Finding&& finding);

    CodeSet codes_;
    front::InputKind kind_;
    std::string_view text_;
    std::optional<StructureNoqa> structure_;
    CodeSet structure_used_;
    InputReport& report_;
    std::optional<NoqaIndex> noqa_;
    std::vector<CodeSet> noqa_used_;  // per entry of the index
};

}  // namespace quorv::cli
