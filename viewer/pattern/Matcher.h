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

// How many bytes ProbeAnchored reads at most.
constexpr std::size_t kAnchoredProbe = 64;
// For a pattern anchored at the start, RunProgram's answer from the
// automaton run over the text's first kAnchoredProbe bytes, where that
// decides it: most lines fail such a pattern within a few bytes, sooner than
// the required literal is looked for. Nothing where it cannot tell.
std::optional<SearchResult> ProbeAnchored(const Program& program, std::string_view text) noexcept;

// RunProgram's answer over the fields joined by tabs, from the deterministic
// automaton stepped across them; nothing where it cannot tell (no automaton,
// a byte beyond ASCII, fewer than two fields), and the joined text must be
// searched instead.
std::optional<SearchResult> RunDfaOverFields(const Program& program, Fields fields) noexcept;

// The same for a program with mLeadsWithTab, started only at the tabs
// (within fields or between them) followed by the rest of mLeading up to a
// tab in it. A first field without a tab is read only for tabs, and none is
// where tabs stand only Between fields.
std::optional<SearchResult> RunDfaFromTabs(const Program& program, Fields fields, FieldTabs tabs) noexcept;

}  // namespace pattern

}  // namespace tracing
