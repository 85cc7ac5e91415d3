// The filters and highlights in force, each rule with its matcher. A line is
// shown when no switched-on exclude rule matches it and, if any include rule
// is on, one of them does. A line's highlight is that of the first
// switched-on highlight rule that matches it. A rule that gives up on a line
// does not match it.
#pragma once

#include "viewer/rules/TextRule.h"
#include "viewer/store/LineStore.h"
#include "viewer/view/ScopeDurations.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tracing {

class LineRules {
public:
    // Highlights beyond this many are kept but never colour a line.
    static constexpr std::size_t kMaxHighlights = 250;

    void SetFilters(std::vector<Rule> filters);
    void SetHighlights(std::vector<Rule> highlights);
    const std::vector<Rule>& Filters() const { return mFilters; }
    const std::vector<Rule>& Highlights() const { return mHighlights; }
    // Every rule's definition, filters first, as the rules' text form keeps them.
    std::vector<TextRule> Definitions() const;

    bool Filtering() const { return mFiltering; }
    // Whether a switched-on rule compares durations: a line's verdict may
    // change once its scope returns.
    bool FiltersOnDuration() const { return mFiltersOnDuration; }
    bool HighlightsOnDuration() const { return mHighlightsOnDuration; }
    struct Verdict {
        bool passes = true;
        bool gaveUp = false;  // a rule gave up on the line
    };
    // The most lines one call of Filter decides.
    static constexpr std::size_t kSlice = 256;
    // The verdicts on the held lines from first on, one per entry of
    // verdicts (at most kSlice): worked out rule by rule over the slice, so
    // that each rule's set-up is paid once a slice rather than once a line.
    // durations: where duration rules look; without it they match no line.
    void Filter(const LineStore& store, std::uint64_t first, std::span<Verdict> verdicts,
        const ScopeDurations* durations = nullptr) const;
    // The index of the first matching highlight, or -1.
    int Highlight(const LineStore& store, const LineRecord& record, std::uint64_t sequence, bool& gaveUp,
        const ScopeDurations* durations = nullptr) const;

private:
    // Whether rule matches the line; sets gaveUp when it gave up.
    bool Matches(const Rule& rule, const LineStore& store, const LineRecord& record, std::uint64_t sequence,
        bool& gaveUp, const ScopeDurations* durations) const;

    std::vector<Rule> mFilters;
    std::vector<Rule> mHighlights;
    bool mFiltering = false;
    bool mIncluding = false;
    bool mFiltersOnDuration = false;
    bool mHighlightsOnDuration = false;
    mutable std::string mScratch;
};

}  // namespace tracing
