#include "viewer/rules/RegexMatcher.h"

#include <regex>

namespace {

// The standard traits, but with case folded by an ASCII table.
struct AsciiFoldingRegexTraits : std::regex_traits<char> {
    char translate_nocase(char c) const noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
};
using Expression = std::basic_regex<char, AsciiFoldingRegexTraits>;

class StandardMatcher final : public RegexMatcher {
public:
    explicit StandardMatcher(Expression expression)
        : mExpression(std::move(expression))
    {
    }
    MatchResult Search(std::string_view text) const noexcept override
    {
        try {
            return std::regex_search(text.begin(), text.end(), mExpression) ? MatchResult::Match : MatchResult::NoMatch;
        } catch (...) {
            return MatchResult::GaveUp;
        }
    }

private:
    Expression mExpression;
};

}  // namespace

std::shared_ptr<const RegexMatcher> RegexMatcher::Compile(std::string_view pattern, bool matchCase, std::string& error)
{
    try {
        auto flags = Expression::ECMAScript | Expression::optimize;
        if (!matchCase) {
            flags |= Expression::icase;
        }
        return std::make_shared<const StandardMatcher>(Expression(pattern.begin(), pattern.end(), flags));
    } catch (const std::regex_error& failure) {
        error = std::string("The regular expression is not valid: ") + failure.what();
    } catch (const std::exception& failure) {
        error = std::string("The regular expression cannot be used: ") + failure.what();
    }
    return nullptr;
}
