// A rule that picks lines by their text: on one field or on the whole line,
// as plain text or as a regular expression, with or without regard to case.
// Filters (include, exclude) and highlights are made of such rules.
#pragma once

#include "viewer/pattern/LiteralFinder.h"
#include "viewer/pattern/Pattern.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tracing {

// What a rule looks at. WholeLine is every field but the time, joined by tabs
// in the log format's order: line number, pid, process, kind, source, text.
// Duration is a function scope's time on its entry line: it is compared, not
// matched as text, and a line without one matches no such rule.
enum class RuleField : std::uint8_t { WholeLine, Line, Time, Pid, Process, Kind, Source, Text, Duration, Count };

// How a duration rule compares: at least, or below, its milliseconds.
enum class RuleCompare : std::uint8_t { None, AtLeast, Below };

// A filter keeps (include) or hides (exclude) the lines it matches; a
// highlight colours them.
enum class RuleAction : std::uint8_t { Include, Exclude, Highlight };

struct TextRule {
    RuleAction action = RuleAction::Include;
    bool enabled = true;
    bool regex = false;
    bool matchCase = false;
    RuleField field = RuleField::Text;
    RuleCompare compare = RuleCompare::None;  // a duration rule's; then pattern is milliseconds
    std::string pattern;  // UTF-8
    // Highlights only: the colours of matching lines (COLORREF values, 0x00BBGGRR).
    std::uint32_t textColour = 0;
    std::uint32_t backColour = 0xFFFFFF;

    bool IsFilter() const { return action != RuleAction::Highlight; }
    bool operator==(const TextRule&) const = default;
};

// Whether a rule matched a text; a regular expression may give up on one.
using MatchResult = pattern::SearchResult;

// A rule together with its matcher, made once. A rule whose pattern cannot be
// used is never made, so every Rule matches. Matching never throws; a regular
// expression that would take too long on a text gives up on it.
class Rule {
public:
    // The rule, or nothing with the reason in error.
    static std::optional<Rule> Make(TextRule definition, std::string& error);

    const TextRule& Definition() const { return mDefinition; }
    MatchResult Matches(std::string_view text) const noexcept;
    // A duration rule on a line's duration (100 ns units), if it has one.
    bool ComparesDuration() const { return mDefinition.compare != RuleCompare::None; }
    bool MatchesDuration(std::optional<std::int64_t> ticks) const noexcept;
    // The same for the fields joined by tabs (a whole line), mostly without
    // joining them into scratch.
    MatchResult MatchesFields(pattern::Fields fields, std::string& scratch,
        pattern::FieldTabs tabs = pattern::FieldTabs::Anywhere) const noexcept;
    // Whether a match may lie in a field of digits and '-' (a number): where
    // it cannot, such fields may be passed empty rather than formatted.
    bool MayMatchInNumbers() const noexcept { return mMayMatchInNumbers; }
    // Whether the answer on the fields joined may depend on the first field
    // when it holds no tab (the line number): where not, it may be passed empty.
    bool ReadsFirstField() const noexcept { return mReadsFirstField; }

private:
    TextRule mDefinition;
    std::int64_t mLimit = 0;  // a duration rule's, in 100 ns units
    pattern::LiteralFinder mText;  // plain text; lower case unless matchCase
    std::optional<pattern::Pattern> mRegex;
    bool mMayMatchInNumbers = true;
    bool mReadsFirstField = true;
};

// Whether plain text may stand in the fields joined by tabs somewhere a
// number is: it is digits and '-' only, or it holds a tab and so may cross
// into or over one.
bool MayStandInNumbers(std::string_view text) noexcept;

// Milliseconds written as a decimal number ("50", "12.5") in 100 ns units;
// nothing when the text is not one or is beyond a day.
std::optional<std::int64_t> ParseMilliseconds(std::string_view text);
// Why a rule's comparison does not fit its field or pattern; empty when it does.
std::string DurationRuleProblem(const TextRule& rule);

// ASCII letters in lower case; other bytes unchanged.
std::string LowerAscii(std::string_view text);

}  // namespace tracing
