// The bounds that keep a pattern's compilation and every search cheap, whatever
// the user types: each one is reported in words when a pattern passes it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tracing {

namespace pattern {

// Groups open inside each other; the parser and the passes over its tree go
// one level of the machine's stack per level, so this keeps them shallow.
constexpr int kMaxNesting = 100;
// The largest count in {n}, {n,} and {n,m}: each count copies its operand.
constexpr std::uint32_t kMaxRepeat = 1000;
// Instructions in a compiled program; a search costs up to this many state
// visits per character.
constexpr std::size_t kMaxInstructions = 10000;
// State visits one search may make before it answers GaveUp: a few
// milliseconds of work, enough for a long line against a modest pattern.
constexpr std::uint64_t kStepBudget = 5000000;

// The deterministic automaton is built whole when a pattern compiles, and
// only within these: states it may have (each a row of transitions), and
// the work of building them; past either, searches step the threads instead.
constexpr std::size_t kMaxDfaInstructions = 1000;
constexpr std::size_t kMaxDfaStates = 500;
constexpr std::uint64_t kMaxDfaWork = 200000;

}  // namespace pattern

}  // namespace tracing
