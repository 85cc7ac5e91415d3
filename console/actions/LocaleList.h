// Turns the locale text box into the list of language codes for the services
// component.
#pragma once

#include <string>
#include <vector>

namespace console {

// Splits at each comma, keeping codes exactly as typed: a leading comma or two
// adjacent commas give an empty code, a trailing comma adds none. A text that
// yields no code at all gives the single code "ENU".
std::vector<std::string> SplitLocaleList(const std::string& text);

}  // namespace console
