#include "viewer/rules/RegexMatcher.h"

#include "viewer/pattern/Pattern.h"

namespace {

// The pattern engine: no backtracking, and a bound on its work per text.
class PatternMatcher final : public RegexMatcher {
public:
    explicit PatternMatcher(pattern::Pattern compiled)
        : mPattern(std::move(compiled))
    {
    }
    MatchResult Search(std::string_view text) const noexcept override
    {
        switch (mPattern.Search(text)) {
        case pattern::SearchResult::Match:
            return MatchResult::Match;
        case pattern::SearchResult::GaveUp:
            return MatchResult::GaveUp;
        default:
            return MatchResult::NoMatch;
        }
    }

private:
    pattern::Pattern mPattern;
};

}  // namespace

std::shared_ptr<const RegexMatcher> RegexMatcher::Compile(std::string_view pattern, bool matchCase, std::string& error)
{
    auto compiled = pattern::Pattern::Compile(pattern, matchCase, error);
    if (!compiled) {
        return nullptr;
    }
    return std::make_shared<const PatternMatcher>(std::move(*compiled));
}
