// Which captured lines tracecap writes, which end the capture (--until) and
// which fail the run (--fail-on, --fail-on-error). Every regular expression
// goes through the viewer's pattern engine, searched anywhere in the text;
// one that reaches its bound of work on a line does not match it, as in the
// viewer. The process tree of a program under test is judged apart, by the
// caller, since it needs the system.
#pragma once

#include "tools/tracecap/core/Options.h"
#include "viewer/rules/TextRule.h"
#include "viewer/store/LineStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tracecap {

class LineSelection {
public:
    // The selection of options, with the rules of rulesText (the rules
    // file's content) when given; nothing, with one line in error naming the
    // bad expression or rule line, when one cannot be used.
    static std::optional<LineSelection> Make(const Options& options, const std::string* rulesText, std::string& error);

    // Whether line (the number-th line captured, from 1) is written.
    bool Keeps(const tracing::LineView& line, std::uint64_t number) const;
    // Whether the line ends the capture (it is written first).
    bool Ends(const tracing::LineView& line) const;
    // Whether the line fails the run.
    bool Fails(const tracing::LineView& line) const;

private:
    bool AnyRules() const { return !mIncludes.empty() || !mExcludes.empty(); }
    bool RuleMatches(const tracing::Rule& rule, const tracing::LineView& line, std::uint64_t number) const;

    std::vector<std::uint32_t> mPids;
    std::vector<std::wstring> mProcesses;
    std::vector<tracing::Rule> mIncludes;
    std::vector<tracing::Rule> mExcludes;
    std::optional<tracing::Rule> mUntil;
    std::vector<tracing::Rule> mFailOn;
    bool mFailOnError = false;
    mutable std::string mScratch;
};

}  // namespace tracecap
