#include "viewer/view/LineRules.h"

#include "viewer/view/LineFields.h"

#include <algorithm>
#include <array>

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

void LineRules::Filter(
    const LineStore& store, std::uint64_t first, std::span<Verdict> verdicts, const ScopeDurations* durations) const
{
    // Until the last rule, a verdict's passes says whether an include rule
    // has kept the line; excluded lines are tried by no later rule.
    std::array<bool, kSlice> excluded {};
    const std::size_t count = std::min(verdicts.size(), kSlice);
    for (std::size_t i = 0; i < count; ++i) {
        verdicts[i] = { .passes = !mIncluding, .gaveUp = false };
    }
    for (const Rule& rule : mFilters) {
        const TextRule& definition = rule.Definition();
        if (!definition.enabled) {
            continue;
        }
        const bool exclude = definition.action == RuleAction::Exclude;
        for (std::size_t i = 0; i < count; ++i) {
            Verdict& verdict = verdicts[i];
            // An include rule is not tried once another has kept the line.
            if (excluded[i] || (!exclude && verdict.passes)) {
                continue;
            }
            const std::uint64_t sequence = first + i;
            // Locals, not the verdict's bytes, carry the answer: writing a
            // byte the call reads back stalls on every line.
            bool gaveUp = verdict.gaveUp;
            if (Matches(rule, store, store.Record(sequence), sequence, gaveUp, durations)) {
                excluded[i] = exclude;
                verdict.passes = !exclude;
            }
            verdict.gaveUp = gaveUp;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        verdicts[i].passes = verdicts[i].passes && !excluded[i];
    }
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
