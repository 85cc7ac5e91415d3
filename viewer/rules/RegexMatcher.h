// A compiled regular expression, as rules use it: whether it matches
// anywhere in a text, with a bound on the work it does for one text.
#pragma once

#include "viewer/rules/TextRule.h"

#include <memory>
#include <string>
#include <string_view>

class RegexMatcher {
public:
    // The matcher, or null with the reason in error.
    static std::shared_ptr<const RegexMatcher> Compile(std::string_view pattern, bool matchCase, std::string& error);
    virtual ~RegexMatcher() = default;
    virtual MatchResult Search(std::string_view text) const noexcept = 0;
};
