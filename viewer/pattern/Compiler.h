// Turns a syntax tree into a program, or says why it would be too large.
#pragma once

#include "viewer/pattern/Program.h"
#include "viewer/pattern/Syntax.h"

#include <optional>
#include <string>

namespace tracing {

namespace pattern {

// The instructions, classes and start bytes of tree's automaton; its
// deterministic form and the literal facts are left for the caller to add.
std::optional<Program> CompileTree(const Node& tree, bool matchCase, std::string& error);

}  // namespace pattern

}  // namespace tracing
