#include "viewer/view/TextRule.h"

#include <algorithm>
#include <cstring>

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

std::size_t FindText(std::string_view haystack, std::string_view needle, bool matchCase, std::size_t from) noexcept
{
    if (from > haystack.size() || haystack.size() - from < needle.size()) {
        return std::string_view::npos;
    }
    if (needle.empty() || matchCase) {
        return haystack.find(needle, from);
    }
    // The first letter in both cases, found with memchr; the rest compared in place.
    const char first = needle[0];
    const char upper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
    const char* at = haystack.data() + from;
    const char* last = haystack.data() + (haystack.size() - needle.size());
    while (at <= last) {
        const auto remaining = static_cast<std::size_t>(last - at) + 1;
        const char* lowerHit = static_cast<const char*>(std::memchr(at, first, remaining));
        const char* upperHit = upper == first ? nullptr : static_cast<const char*>(std::memchr(at, upper, remaining));
        const char* hit
            = lowerHit == nullptr ? upperHit : (upperHit == nullptr ? lowerHit : std::min(lowerHit, upperHit));
        if (hit == nullptr) {
            return std::string_view::npos;
        }
        std::size_t i = 1;
        while (i < needle.size() && Lower(hit[i]) == needle[i]) {
            ++i;
        }
        if (i == needle.size()) {
            return static_cast<std::size_t>(hit - haystack.data());
        }
        at = hit + 1;
    }
    return std::string_view::npos;
}

bool ContainsText(std::string_view haystack, std::string_view needle, bool matchCase) noexcept
{
    return FindText(haystack, needle, matchCase, 0) != std::string_view::npos;
}

namespace {

// The character an escape stands for when it is a plain one; its length in length.
std::optional<char> EscapedCharacter(std::string_view pattern, std::size_t at, std::size_t& length)
{
    const char escaped = pattern[at + 1];
    length = 2;
    switch (escaped) {
    case 't':
        return '\t';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 'f':
        return '\f';
    case 'v':
        return '\v';
    case 'x':
        length = 4;
        return std::nullopt;
    case 'u':
        length = 6;
        return std::nullopt;
    case 'c':
        length = 3;
        return std::nullopt;
    default:
        break;
    }
    if (escaped >= '0' && escaped <= '9') {
        while (at + length < pattern.size() && pattern[at + length] >= '0' && pattern[at + length] <= '9') {
            ++length;
        }
        return std::nullopt;
    }
    const bool letter = (escaped >= 'a' && escaped <= 'z') || (escaped >= 'A' && escaped <= 'Z');
    return letter ? std::nullopt : std::optional<char>(escaped);
}

// The longest required run, or with leadingOnly the run the pattern starts with.
std::string RequiredRun(std::string_view pattern, bool leadingOnly)
{
    std::string best;
    std::string run;
    bool ended = false;
    const auto endRun = [&] {
        if (run.size() > best.size()) {
            best = run;
        }
        run.clear();
        ended = true;
    };
    int depth = 0;
    for (std::size_t at = 0; at < pattern.size();) {
        if (leadingOnly && ended) {
            return best;
        }
        const char c = pattern[at];
        std::optional<char> literal;
        std::size_t length = 1;
        switch (c) {
        case '|':
            if (depth == 0) {
                return {};
            }
            endRun();
            break;
        case '(':
            ++depth;
            endRun();
            break;
        case ')':
            if (--depth < 0) {
                return {};
            }
            endRun();
            break;
        case '[': {
            // A class is one character of several: it ends the run.
            std::size_t close = at + 1;
            if (close < pattern.size() && pattern[close] == '^') {
                ++close;
            }
            if (close < pattern.size() && pattern[close] == ']') {
                return {};  // read differently by different dialects
            }
            while (close < pattern.size() && pattern[close] != ']') {
                close += pattern[close] == '\\' ? 2 : 1;
            }
            if (close >= pattern.size()) {
                return {};
            }
            length = close + 1 - at;
            endRun();
            break;
        }
        case '{': {
            const std::size_t close = pattern.find('}', at);
            if (close == std::string_view::npos) {
                return {};
            }
            length = close + 1 - at;
            endRun();
            break;
        }
        case '\\':
            if (at + 1 >= pattern.size()) {
                return {};
            }
            literal = EscapedCharacter(pattern, at, length);
            if (!literal) {
                endRun();
            }
            break;
        case '.':
        case '^':
        case '$':
        case '*':
        case '+':
        case '?':
            endRun();
            break;
        default:
            literal = c;
            break;
        }
        at += length;
        if (!literal) {
            continue;
        }
        const char quantifier = at < pattern.size() ? pattern[at] : '\0';
        if (quantifier == '*' || quantifier == '?' || quantifier == '{' || depth != 0) {
            endRun();  // the character may be left out, or belongs to a group
            continue;
        }
        run += *literal;
        if (quantifier == '+') {
            endRun();  // there once, perhaps more: what follows is not next to it
        }
    }
    endRun();
    return best;
}

}  // namespace

std::string RequiredText(std::string_view pattern)
{
    return RequiredRun(pattern, false);
}

std::string LeadingText(std::string_view pattern)
{
    // An alternative at the top level, or a pattern read differently by
    // different dialects, has no required text and so no sure start either.
    return RequiredText(pattern).empty() ? std::string() : RequiredRun(pattern, true);
}

std::optional<RuleMatcher> RuleMatcher::Compile(const TextRule& rule, std::string& error)
{
    error.clear();
    if (rule.pattern.empty()) {
        error = "The text to match is empty.";
        return std::nullopt;
    }
    RuleMatcher matcher;
    matcher.mField = rule.field;
    matcher.mRegex = rule.regex;
    matcher.mMatchCase = rule.matchCase;
    if (!rule.regex) {
        matcher.mText = rule.matchCase ? rule.pattern : LowerAscii(rule.pattern);
        return matcher;
    }
    try {
        auto flags = RuleExpression::ECMAScript | RuleExpression::optimize;
        if (!rule.matchCase) {
            flags |= RuleExpression::icase;
        }
        matcher.mExpression = std::make_shared<const RuleExpression>(rule.pattern, flags);
        matcher.mRequired = RequiredText(rule.pattern);
        matcher.mLeading = LeadingText(rule.pattern);
        if (!rule.matchCase) {
            matcher.mRequired = LowerAscii(matcher.mRequired);
            matcher.mLeading = LowerAscii(matcher.mLeading);
        }
    } catch (const std::regex_error& failure) {
        error = std::string("The regular expression is not valid: ") + failure.what();
        return std::nullopt;
    } catch (const std::exception& failure) {
        error = std::string("The regular expression cannot be used: ") + failure.what();
        return std::nullopt;
    }
    return matcher;
}

bool RuleMatcher::Matches(std::string_view text) const noexcept
{
    if (!mRegex) {
        return ContainsText(text, mText, mMatchCase);
    }
    if (!mRequired.empty() && !ContainsText(text, mRequired, mMatchCase)) {
        return false;
    }
    try {
        if (mLeading.empty()) {
            return std::regex_search(text.begin(), text.end(), *mExpression);
        }
        // Every match starts with mLeading: the expression is tried only
        // where it stands, as a match that must begin there.
        for (std::size_t at = FindText(text, mLeading, mMatchCase, 0); at != std::string_view::npos;
             at = FindText(text, mLeading, mMatchCase, at + 1)) {
            const auto flags = std::regex_constants::match_continuous
                | (at > 0 ? std::regex_constants::match_prev_avail : std::regex_constants::match_default);
            if (std::regex_search(text.begin() + at, text.end(), *mExpression, flags)) {
                return true;
            }
        }
        return false;
    } catch (...) {
        return false;
    }
}
