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
    try {
        return std::regex_search(text.begin(), text.end(), *mExpression);
    } catch (...) {
        return false;
    }
}
