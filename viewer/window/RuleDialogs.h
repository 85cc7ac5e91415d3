// The dialogs for filters and highlights: a list of rules (add, edit,
// remove, switch on and off, reorder) and the dialog for one rule, which
// refuses a pattern that cannot be used and says why.
#pragma once

#include "viewer/rules/TextRule.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tracing {

enum class RuleKind { Filter, Highlight };

// The rules as the user leaves them with OK, or nothing when cancelled.
std::optional<std::vector<Rule>> ShowRulesDialog(
    HINSTANCE instance, HWND owner, RuleKind kind, const std::vector<Rule>& rules);

// One line of the list, "[on] Hide  Text contains "abc"".
std::wstring DescribeRule(const TextRule& rule);

// The colours a highlight rule can be given, by name.
struct HighlightColours {
    const wchar_t* name;
    std::uint32_t text;
    std::uint32_t back;
};
extern const std::vector<HighlightColours> kHighlightColours;

}  // namespace tracing
