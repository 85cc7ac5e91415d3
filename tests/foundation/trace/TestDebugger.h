// Runs a program as a debugged process and collects what it writes to the
// debugger output (OUTPUT_DEBUG_STRING_EVENT), in order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace trace_tests {

struct DebugRun {
    bool finished = false;  // the process ended within the time given
    DWORD exitCode = 0;
    std::string output;     // every debug string, joined as written
    int outputCalls = 0;    // number of debug-output calls seen
    std::string exceptions; // "code/first-chance" of each exception event, for diagnosis
};

// Starts "program arguments" under the calling thread as its debugger and runs
// it to its end, or kills it after timeoutMs.
DebugRun RunUnderDebugger(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs);

}  // namespace trace_tests
