// One-click rules: the list's context menu turns a line into a rule on its
// program, its process id or its text, in the same rule form the Filters and
// Highlights dialogs edit.
#pragma once

#include "viewer/rules/TextRule.h"
#include "viewer/store/LineStore.h"

#include <optional>
#include <string>

namespace tracing {

enum class QuickRule : int { HideProcess, ShowOnlyProcess, HidePid, ShowOnlyPid, HideText, HighlightProcess, Count };

// The menu item's text for line ("Hide process app.exe"); empty when the line
// gives the rule nothing to go on (no program name, no process id, no text).
std::wstring QuickRuleLabel(QuickRule rule, const LineView& line);

// The rule for line, or nothing as for an empty label. Programs and process
// ids match whole (a regular expression anchored at both ends), programs
// without regard to case; a text matches where the line's text, up to its
// first tab or line end, stands in a line, with regard to case.
std::optional<TextRule> MakeQuickRule(QuickRule rule, const LineView& line);

}  // namespace tracing
