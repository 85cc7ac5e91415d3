// The exit status of a run, from what happened in it.
#pragma once

#include <cstdint>
#include <optional>

namespace tracecap {

struct RunFacts {
    bool interrupted = false;  // Ctrl+C or Ctrl+Break
    bool timedOut = false;  // --timeout ended the run
    // The program's status when it ended by itself (not ended by tracecap).
    std::optional<std::uint32_t> programStatus;
    bool failLineSeen = false;  // --fail-on or --fail-on-error matched
};

// The first that applies: 130 interrupted, 124 timed out, the program's
// non-zero status, 3 for a failing line, 0.
int ExitStatus(const RunFacts& facts);

}  // namespace tracecap
