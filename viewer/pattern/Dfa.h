// A deterministic automaton over ASCII bytes, made from a program by
// following the sets of threads it can be in: a search then costs one table
// lookup per byte instead of a step of every thread. Built whole when the
// pattern compiles, so that searches share it without locks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tracing {

namespace pattern {

struct Program;

struct Dfa {
    struct State {
        // The program's threads in this state: its Consume instructions and
        // the $ assertions waiting for the end of the text. A search that
        // meets a byte from 0x80 up goes on from these with the threads.
        std::vector<std::uint32_t> mThreads;
        bool mMatched = false;  // a match has ended here
        bool mMatchesAtEnd = false;  // a match ends here if the text does
        bool mDead = false;  // nothing can match from here on
    };

    // ASCII bytes that every class of the program treats alike share a column.
    std::array<std::uint8_t, 128> mColumn {};
    std::size_t mColumns = 0;
    std::vector<std::int32_t> mNext;  // [state * mColumns + column]
    std::vector<State> mStates;
    // The same transitions by byte, for the search's inner loop: one load a
    // byte, no column lookup. States are few (kMaxDfaStates), so 16 bits do.
    std::vector<std::uint16_t> mByteNext;  // [state * 128 + byte]
    // Per state, whether that loop stops there: a match, a dead end, or
    // (where the search can skip text) mStartLater.
    std::vector<std::uint8_t> mStops;
    std::int32_t mStartAtZero = 0;  // before the text's first byte
    // Anywhere later with no thread carried over: the state a search is in
    // whenever it may skip ahead to where a match may start.
    std::int32_t mStartLater = 0;
};

// Nothing when the program has word boundaries (\b, \B: they look at the
// byte after the position as well), or passes the limits in Limits.h.
std::optional<Dfa> BuildDfa(const Program& program);

}  // namespace pattern

}  // namespace tracing
