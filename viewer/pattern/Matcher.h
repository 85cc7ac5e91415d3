// Runs a program over a text: every thread of the automaton advanced in step,
// one unit at a time, so the work is bounded by text length times program
// size, and by the step budget before that. Where the program has a
// deterministic form, ASCII text is read through its table instead.
#pragma once

#include "viewer/pattern/Fields.h"
#include "viewer/pattern/Program.h"
#include "viewer/pattern/SearchResult.h"

#include <optional>
#include <string_view>

namespace tracing {

namespace pattern {

// Whether the program matches anywhere in text, where no match starts before
// from. Needs no prefilter to be right; mLeading, mAnchoredAtStart and
// mStartBytes only make it skip.
SearchResult RunProgram(const Program& program, std::string_view text, std::size_t from) noexcept;

// RunProgram's answer over the fields joined by tabs, from the deterministic
// automaton stepped across them; nothing where it cannot tell (no automaton,
// a byte beyond ASCII, fewer than two fields), and the joined text must be
// searched instead.
std::optional<SearchResult> RunDfaOverFields(const Program& program, Fields fields) noexcept;

}  // namespace pattern

}  // namespace tracing
