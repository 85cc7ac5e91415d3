// The filters and highlights in force, compiled once per change. A line is
// shown when no exclude rule matches it and, if there are include rules, one
// of them does. A line's highlight is that of the first highlight rule that
// matches it. Rules that are off, or whose pattern does not compile, take
// no part.
#pragma once

#include "viewer/store/LineStore.h"
#include "viewer/view/TextRule.h"

#include <cstdint>
#include <string>
#include <vector>

class LineRules {
public:
    void SetFilters(const std::vector<TextRule>& filters);
    void SetHighlights(const std::vector<TextRule>& highlights);

    bool Filtering() const { return !mIncludes.empty() || !mExcludes.empty(); }
    bool Passes(const LineStore::Reading& reading, const LineRecord& record, std::uint64_t sequence) const;
    // The index of the first matching highlight rule (in the list given), or -1.
    int Highlight(const LineStore::Reading& reading, const LineRecord& record, std::uint64_t sequence) const;

private:
    struct Compiled {
        RuleMatcher matcher;
        int index;
    };
    static std::vector<Compiled> CompileEnabled(const std::vector<TextRule>& rules, int exclude);
    bool AnyMatches(const std::vector<Compiled>& rules, const LineStore::Reading& reading, const LineRecord& record,
        std::uint64_t sequence, int* which) const;

    std::vector<Compiled> mIncludes;
    std::vector<Compiled> mExcludes;
    std::vector<Compiled> mHighlights;
    mutable std::string mScratch;
};
