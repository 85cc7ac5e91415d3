// A rule that picks lines by their text: on one field or on the whole line,
// as plain text or as an ECMAScript regular expression, with or without
// regard to case. Filters and highlights are made of such rules.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

// What a rule looks at. WholeLine is every field but the time, joined by tabs
// in the log format's order: line number, pid, process, kind, source, text.
enum class RuleField : std::uint8_t { WholeLine, Line, Time, Pid, Process, Kind, Source, Text, Count };

struct TextRule {
    bool enabled = true;
    bool exclude = false;  // filters only: matching lines are hidden, not kept
    bool regex = false;
    bool matchCase = false;
    RuleField field = RuleField::Text;
    std::string pattern;  // UTF-8
    // Highlights only: the colours of matching lines (COLORREF values).
    std::uint32_t textColour = 0;
    std::uint32_t backColour = 0xFFFFFF;

    bool operator==(const TextRule&) const = default;
};

// The standard traits, but with case folded by an ASCII table: the standard
// ones look the locale's facet up for every character compared, which makes
// a case-blind expression several times slower than a case-sensitive one.
struct AsciiFoldingRegexTraits : std::regex_traits<char> {
    char translate_nocase(char c) const noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
};
using RuleExpression = std::basic_regex<char, AsciiFoldingRegexTraits>;

// A rule made ready to match. Matching never throws: a regular expression
// that fails on a line (too complex, out of memory) does not match it.
class RuleMatcher {
public:
    // The matcher, or nothing with the reason in error when the pattern is
    // empty or does not compile.
    static std::optional<RuleMatcher> Compile(const TextRule& rule, std::string& error);

    RuleField Field() const { return mField; }
    bool Matches(std::string_view text) const noexcept;

private:
    RuleField mField = RuleField::Text;
    bool mRegex = false;
    bool mMatchCase = false;
    std::string mText;  // plain text; lower case unless mMatchCase
    std::shared_ptr<const RuleExpression> mExpression;
    // Text every match of mExpression holds (lower case unless mMatchCase):
    // lines without it are passed over without running the expression.
    std::string mRequired;
    // Text every match of mExpression starts with, in the same case: the
    // expression is tried only where it stands.
    std::string mLeading;
};

// Plain-text search; without matchCase, ASCII letters match either case and
// needle must be in lower case. Other characters match themselves only.
bool ContainsText(std::string_view haystack, std::string_view needle, bool matchCase) noexcept;
// Where needle first stands in haystack at or after from, or npos; as ContainsText.
std::size_t FindText(std::string_view haystack, std::string_view needle, bool matchCase, std::size_t from) noexcept;

// The longest run of plain characters that every match of an ECMAScript
// pattern must contain, or empty when there is none that is sure (an
// alternative at the top level, say). Runs inside groups, and characters a
// quantifier may leave out, do not count.
std::string RequiredText(std::string_view pattern);
// The run of plain characters every match of an ECMAScript pattern starts
// with, or empty when none is sure.
std::string LeadingText(std::string_view pattern);

// ASCII letters in lower case; other bytes unchanged.
std::string LowerAscii(std::string_view text);
