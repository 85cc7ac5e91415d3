// One thing the checker tells a translator about a line of a language file.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace langcheck {

enum class Severity {
    Error,  // the loader drops or misreads the line
    Warning,  // the loader takes the line, probably not as meant
};

struct Finding {
    std::size_t mLine;  // 1-based, as an editor counts lines
    Severity mSeverity;
    std::string mText;
};

// Receives the findings of one file in file order.
using FindingSink = std::function<void(const Finding&)>;

// "FILE:LINE: error: TEXT", the form editors and build logs understand.
std::string FormatFinding(const std::string& file, const Finding& finding);

}  // namespace langcheck
