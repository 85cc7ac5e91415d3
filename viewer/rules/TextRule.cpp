#include "viewer/rules/TextRule.h"

#include <algorithm>

namespace tracing {

namespace {

inline char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    return lower;
}

bool MayStandInNumbers(std::string_view text) noexcept
{
    return text.find_first_not_of("0123456789-") == std::string_view::npos || text.find('\t') != std::string_view::npos;
}

std::optional<std::int64_t> ParseMilliseconds(std::string_view text)
{
    constexpr std::int64_t kTicksPerMs = 10000;
    constexpr std::int64_t kMaxMs = 24 * 60 * 60 * 1000;
    std::int64_t whole = 0;
    std::size_t at = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        whole = std::min<std::int64_t>(whole * 10 + (text[at] - '0'), kMaxMs + 1);
    }
    const std::size_t digits = at;
    std::int64_t fraction = 0;
    std::int64_t scale = kTicksPerMs;
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            // Past 100 ns the digits are read but no longer count.
            scale /= 10;
            fraction += (text[at] - '0') * scale;
        }
    }
    if (at != text.size() || (digits == 0 && at <= 1) || whole > kMaxMs) {
        return std::nullopt;
    }
    return whole * kTicksPerMs + fraction;
}

std::string DurationRuleProblem(const TextRule& rule)
{
    const bool duration = rule.field == RuleField::Duration;
    const bool comparing = rule.compare != RuleCompare::None;
    if (duration && !comparing) {
        return "The duration is compared with >= or < to a number of milliseconds, not matched as text.";
    }
    if (!duration && comparing) {
        return "Only the duration is compared with >= or <; other columns are matched as text or a regular "
               "expression.";
    }
    if (comparing && !ParseMilliseconds(rule.pattern)) {
        return "The duration \"" + rule.pattern + "\" is not a number of milliseconds (such as 50 or 12.5).";
    }
    return {};
}

bool Rule::MatchesDuration(std::optional<std::int64_t> ticks) const noexcept
{
    if (!ticks) {
        return false;
    }
    switch (mDefinition.compare) {
    case RuleCompare::AtLeast:
        return *ticks >= mLimit;
    case RuleCompare::Below:
        return *ticks < mLimit;
    default:
        return false;
    }
}

std::optional<Rule> Rule::Make(TextRule definition, std::string& error)
{
    error = DurationRuleProblem(definition);
    if (!error.empty()) {
        return std::nullopt;
    }
    if (definition.compare != RuleCompare::None) {
        Rule rule;
        definition.regex = definition.matchCase = false;
        rule.mLimit = *ParseMilliseconds(definition.pattern);
        rule.mDefinition = std::move(definition);
        return rule;
    }
    if (definition.pattern.empty()) {
        error = "The text to match is empty.";
        return std::nullopt;
    }
    // The rules' text form separates its fields by tabs and its rules by line ends.
    if (definition.pattern.find_first_of("\t\r\n") != std::string::npos) {
        error = definition.regex ? "The pattern holds a tab or a line end; write \\t, \\r or \\n instead."
                                 : "The text to match holds a tab or a line end, which a rule cannot look for.";
        return std::nullopt;
    }
    Rule rule;
    if (definition.regex) {
        rule.mRegex = pattern::Pattern::Compile(definition.pattern, definition.matchCase, error);
        if (!rule.mRegex) {
            return std::nullopt;
        }
        rule.mReadsFirstField = rule.mRegex->ReadsFirstField();
    } else {
        rule.mText = pattern::LiteralFinder(
            definition.matchCase ? definition.pattern : LowerAscii(definition.pattern), definition.matchCase);
        rule.mMayMatchInNumbers = MayStandInNumbers(definition.pattern);
    }
    rule.mDefinition = std::move(definition);
    return rule;
}

MatchResult Rule::Matches(std::string_view text) const noexcept
{
    if (ComparesDuration()) {
        return MatchResult::NoMatch;  // no text holds a duration
    }
    if (mRegex) {
        return mRegex->Search(text);
    }
    return mText.Find(text, 0) != std::string_view::npos ? MatchResult::Match : MatchResult::NoMatch;
}

MatchResult Rule::MatchesFields(pattern::Fields fields, std::string& scratch, pattern::FieldTabs tabs) const noexcept
{
    return mRegex ? mRegex->SearchFields(fields, scratch, tabs) : mText.InFields(fields, scratch);
}

}  // namespace tracing
