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

std::optional<Rule> Rule::Make(TextRule definition, std::string& error)
{
    error.clear();
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
    if (mRegex) {
        return mRegex->Search(text);
    }
    return mText.Find(text, 0) != std::string_view::npos ? MatchResult::Match : MatchResult::NoMatch;
}

MatchResult Rule::MatchesFields(pattern::Fields fields, std::string& scratch) const noexcept
{
    return mRegex ? mRegex->SearchFields(fields, scratch) : mText.InFields(fields, scratch);
}

}  // namespace tracing
