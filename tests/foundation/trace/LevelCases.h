// The level gate cases shared by the trace client and the tests that check it.
#pragma once

#include <cstdint>

namespace trace_tests {

struct LevelCase {
    const char* label;  // also the line's text
    bool error;         // Error when true, Message otherwise
    std::int32_t level;
    std::uint32_t flags;
    bool passes;
};

// flags 3 = debugger output and all levels; 1 = debugger output only;
// 2 = all levels, no debugger output.
constexpr LevelCase kLevelCases[] = {
    {"error level 0 flags 3", true, 0, 3, true},
    {"error level 0 flags 1", true, 0, 1, false},
    {"error level 1 flags 1", true, 1, 1, true},
    {"message level 2 flags 1", false, 2, 1, false},
    {"message level 3 flags 1", false, 3, 1, true},
    {"message level 0 flags 2", false, 0, 2, true},
    {"message level 1 flags 3", false, 1, 3, true},
};

}  // namespace trace_tests
