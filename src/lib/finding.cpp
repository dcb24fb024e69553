#include "lib/finding.h"

#include <algorithm>

namespace quorv {

void sort_by_severity(std::vector<Finding>& findings) {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return a.severity < b.severity;
    });
}

}  // namespace quorv
