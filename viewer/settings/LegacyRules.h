// Rules as the first release kept them in the settings: one text per rule,
//   FLAGS <tab> FIELD <tab> TEXT-COLOUR <tab> BACK-COLOUR <tab> PATTERN
// FLAGS holds "e" (on), "x" (exclude), "r" (regular expression) and "c"
// (match case) in any order, or "-" for none; FIELD is the field's number
// (0 the whole line); the colours are six hex digits, RRGGBB; PATTERN is the
// rest. Read once, when the settings hold no rules in the current form.
#pragma once

#include "viewer/rules/TextRule.h"

#include <optional>
#include <string_view>

namespace tracing {

// Nothing when the text is not in that form. filter tells the list it came from.
std::optional<TextRule> LegacyRuleFromText(std::string_view text, bool filter);

}  // namespace tracing
