#include "viewer/view/LineRules.h"

#include "viewer/view/LineFields.h"

std::vector<LineRules::Compiled> LineRules::CompileEnabled(const std::vector<TextRule>& rules, int exclude)
{
    std::vector<Compiled> compiled;
    std::string error;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const TextRule& rule = rules[i];
        if (!rule.enabled || (exclude >= 0 && rule.exclude != (exclude != 0))) {
            continue;
        }
        if (auto matcher = RuleMatcher::Compile(rule, error)) {
            compiled.push_back({ std::move(*matcher), static_cast<int>(i) });
        }
    }
    return compiled;
}

void LineRules::SetFilters(const std::vector<TextRule>& filters)
{
    mIncludes = CompileEnabled(filters, 0);
    mExcludes = CompileEnabled(filters, 1);
}

void LineRules::SetHighlights(const std::vector<TextRule>& highlights)
{
    mHighlights = CompileEnabled(highlights, -1);
}

bool LineRules::AnyMatches(const std::vector<Compiled>& rules, const LineStore::Reading& reading,
    const LineRecord& record, std::uint64_t sequence, int* which) const
{
    for (const Compiled& rule : rules) {
        if (rule.matcher.Matches(FieldText(reading, record, sequence, rule.matcher.Field(), mScratch))) {
            if (which != nullptr) {
                *which = rule.index;
            }
            return true;
        }
    }
    return false;
}

bool LineRules::Passes(const LineStore::Reading& reading, const LineRecord& record, std::uint64_t sequence) const
{
    if (AnyMatches(mExcludes, reading, record, sequence, nullptr)) {
        return false;
    }
    return mIncludes.empty() || AnyMatches(mIncludes, reading, record, sequence, nullptr);
}

int LineRules::Highlight(const LineStore::Reading& reading, const LineRecord& record, std::uint64_t sequence) const
{
    int which = -1;
    return AnyMatches(mHighlights, reading, record, sequence, &which) ? which : -1;
}
