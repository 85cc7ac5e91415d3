// Rules as text: the one form of filters and highlights for the settings,
// File > Export rules... / Import rules... and Tracing.exe /rules FILE.
// UTF-8, one rule per line, a line starting with "#" is a comment, blank
// lines are passed over, lines end in CRLF or LF; fields are separated by a tab:
//   ACTION <tab> FIELD <tab> MATCH <tab> PATTERN [<tab> #BACK [<tab> #TEXT]]
// ACTION    include, exclude or highlight; a leading "-" keeps the rule
//           switched off ("-exclude").
// FIELD     line (the whole line), number (the line number), time, pid,
//           process, kind, source, text or duration (a function scope's
//           time, on its entry line).
// MATCH     text or regex, with "+case" for a case-sensitive match (regex+case);
//           for duration only, and only there, >= or <.
// PATTERN   what to look for; it cannot hold a tab (a regular expression
//           writes \t). For duration, milliseconds: "50", "12.5". A line
//           without a duration (another line, or a scope still open) matches
//           no duration rule: include<TAB>duration<TAB>>=<TAB>50
// #BACK, #TEXT  highlights only: the background and text colours, #rrggbb
//           (the defaults are pale red and dark red).
// A line shows when it matches any switched-on include rule (or no include
// rule is on) and no switched-on exclude rule; a line takes the colours of
// the first highlight that matches it.
#pragma once

#include "viewer/rules/TextRule.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tracing {

// One rule as a line of the form, without its line end.
std::string RuleToLine(const TextRule& rule);
// Rules as a whole text, a comment line first, each line ended by CRLF.
std::string RulesToText(const std::vector<TextRule>& rules);

// A rule and the number of its line (from 1, counting every line of the text).
struct NumberedRule {
    std::size_t line = 0;
    TextRule rule;
};
struct RuleProblem {
    std::size_t line = 0;  // 0 when it concerns no line
    std::string message;
};
struct ParsedRules {
    std::vector<NumberedRule> rules;
    std::vector<RuleProblem> problems;
};
// Reads every line it can; a line that does not parse becomes a problem and
// the others still load. Patterns are not compiled here.
ParsedRules ParseRules(std::string_view text);

// The filters and the highlights of parsed rules, made ready to match; a rule
// whose pattern cannot be used is left out as a problem of its line.
struct CompiledRules {
    std::vector<Rule> filters;
    std::vector<Rule> highlights;
    std::vector<RuleProblem> problems;
};
CompiledRules CompileRules(ParsedRules parsed);

// The default highlight colours: dark red on pale red.
inline constexpr std::uint32_t kDefaultHighlightText = 0x0000A0;
inline constexpr std::uint32_t kDefaultHighlightBack = 0xDEDEFF;

}  // namespace tracing
