// Rules as they are kept in the settings: one text per rule,
//   FLAGS <tab> FIELD <tab> TEXT-COLOUR <tab> BACK-COLOUR <tab> PATTERN
// FLAGS holds "e" (on), "x" (exclude), "r" (regular expression) and "c"
// (match case) in any order, or "-" for none; FIELD is the field's number
// (0 the whole line); the colours are six hex digits, RRGGBB; PATTERN is the
// rest, tabs included.
#pragma once

#include "viewer/view/TextRule.h"

#include <optional>
#include <string>
#include <string_view>

std::string RuleToText(const TextRule& rule);
// Nothing when the text is not in that form.
std::optional<TextRule> RuleFromText(std::string_view text);
