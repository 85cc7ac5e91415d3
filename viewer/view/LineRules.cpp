#include "viewer/view/LineRules.h"

#include "viewer/view/LineFields.h"

#include <algorithm>

namespace tracing {

void LineRules::SetFilters(std::vector<Rule> filters)
{
    mFilters = std::move(filters);
    const auto on = [](const Rule& rule) { return rule.Definition().enabled; };
    mFiltering = std::any_of(mFilters.begin(), mFilters.end(), on);
    mIncluding = std::any_of(mFilters.begin(), mFilters.end(),
        [&](const Rule& rule) { return on(rule) && rule.Definition().action == RuleAction::Include; });
    mFiltersOnDuration = std::any_of(
        mFilters.begin(), mFilters.end(), [&](const Rule& rule) { return on(rule) && rule.ComparesDuration(); });
}

void LineRules::SetHighlights(std::vector<Rule> highlights)
{
    mHighlights = std::move(highlights);
    mHighlightsOnDuration = std::any_of(mHighlights.begin(), mHighlights.end(),
        [](const Rule& rule) { return rule.Definition().enabled && rule.ComparesDuration(); });
}

std::vector<TextRule> LineRules::Definitions() const
{
    std::vector<TextRule> definitions;
    for (const std::vector<Rule>* rules : { &mFilters, &mHighlights }) {
        for (const Rule& rule : *rules) {
            definitions.push_back(rule.Definition());
        }
    }
    return definitions;
}

bool LineRules::Matches(const Rule& rule, const LineStore& store, const LineRecord& record, std::uint64_t sequence,
    bool& gaveUp, const ScopeDurations* durations) const
{
    if (rule.ComparesDuration()) {
        return rule.MatchesDuration(durations != nullptr ? durations->Of(sequence) : std::nullopt);
    }
    const MatchResult result = MatchLine(rule, store, record, sequence, mScratch);
    gaveUp = gaveUp || result == MatchResult::GaveUp;
    return result == MatchResult::Match;
}

LineRules::Verdict LineRules::Filter(
    const LineStore& store, const LineRecord& record, std::uint64_t sequence, const ScopeDurations* durations) const
{
    // Locals, not the verdict's bytes: writing those one by one and returning
    // them as one word stalls the load on every line.
    bool gaveUp = false;
    bool included = !mIncluding;
    for (const Rule& rule : mFilters) {
        const TextRule& definition = rule.Definition();
        // An include rule is not tried once another has kept the line.
        if (!definition.enabled || (definition.action == RuleAction::Include && included)) {
            continue;
        }
        if (Matches(rule, store, record, sequence, gaveUp, durations)) {
            if (definition.action == RuleAction::Exclude) {
                return { .passes = false, .gaveUp = gaveUp };
            }
            included = true;
        }
    }
    return { .passes = included, .gaveUp = gaveUp };
}

int LineRules::Highlight(const LineStore& store, const LineRecord& record, std::uint64_t sequence, bool& gaveUp,
    const ScopeDurations* durations) const
{
    const std::size_t count = std::min(mHighlights.size(), kMaxHighlights);
    for (std::size_t i = 0; i < count; ++i) {
        if (mHighlights[i].Definition().enabled
            && Matches(mHighlights[i], store, record, sequence, gaveUp, durations)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace tracing
