// Reads a pattern, in the ECMAScript syntax users know from std::regex, into
// a syntax tree; or says in one English sentence why it cannot.
#pragma once

#include "viewer/pattern/Syntax.h"

#include <optional>
#include <string>
#include <string_view>

namespace tracing {

namespace pattern {

// Without matchCase, classes are given both cases of each ASCII letter here,
// before any negation; single letters stay as written.
std::optional<Node> ParsePattern(std::string_view pattern, bool matchCase, std::string& error);

}  // namespace pattern

}  // namespace tracing
