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

bool ContainsText(std::string_view haystack, std::string_view needle, bool matchCase) noexcept
{
    if (needle.empty()) {
        return true;
    }
    if (haystack.size() < needle.size()) {
        return false;
    }
    if (matchCase) {
        return haystack.find(needle) != std::string_view::npos;
    }
    // The first letter in both cases, found with memchr; the rest compared in place.
    const char first = needle[0];
    const char upper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
    const char* at = haystack.data();
    const char* last = haystack.data() + (haystack.size() - needle.size());
    while (at <= last) {
        const auto remaining = static_cast<std::size_t>(last - at) + 1;
        const char* lowerHit = static_cast<const char*>(std::memchr(at, first, remaining));
        const char* upperHit = upper == first ? nullptr : static_cast<const char*>(std::memchr(at, upper, remaining));
        const char* hit
            = lowerHit == nullptr ? upperHit : (upperHit == nullptr ? lowerHit : std::min(lowerHit, upperHit));
        if (hit == nullptr) {
            return false;
        }
        std::size_t i = 1;
        while (i < needle.size() && Lower(hit[i]) == needle[i]) {
            ++i;
        }
        if (i == needle.size()) {
            return true;
        }
        at = hit + 1;
    }
    return false;
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

}  // namespace

std::string RequiredText(std::string_view pattern)
{
    std::string best;
    std::string run;
    const auto endRun = [&] {
        if (run.size() > best.size()) {
            best = run;
        }
        run.clear();
    };
    int depth = 0;
    for (std::size_t at = 0; at < pattern.size();) {
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
        auto flags = std::regex::ECMAScript | std::regex::optimize;
        if (!rule.matchCase) {
            flags |= std::regex::icase;
        }
        matcher.mExpression = std::make_shared<const std::regex>(rule.pattern, flags);
        matcher.mRequired = RequiredText(rule.pattern);
        if (!rule.matchCase) {
            matcher.mRequired = LowerAscii(matcher.mRequired);
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
        return std::regex_search(text.begin(), text.end(), *mExpression);
    } catch (...) {
        return false;
    }
}
