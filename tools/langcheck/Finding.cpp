#include "tools/langcheck/Finding.h"

namespace langcheck {

std::string FormatFinding(const std::string& file, const Finding& finding)
{
    return file + ':' + std::to_string(finding.mLine)
        + (finding.mSeverity == Severity::Error ? ": error: " : ": warning: ") + finding.mText;
}

}  // namespace langcheck
