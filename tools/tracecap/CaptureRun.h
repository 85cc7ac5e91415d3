// One capture from start to verdict: takes the debug-output buffer (or
// waits for it), receives records while no viewer runs, starts the program
// under test, writes the lines it keeps as they come, and ends as the
// options say. Runs on the calling thread, which pumps the record window.
#pragma once

#include "tools/tracecap/core/LineSelection.h"
#include "tools/tracecap/core/Options.h"
#include "tools/tracecap/Output.h"

#include <windows.h>

namespace tracecap {

// The run's exit status (Verdict.h). interrupt is signalled on Ctrl+C or
// Ctrl+Break.
int RunCapture(const Options& options, LineSelection selection, Output& output, HANDLE interrupt);

}  // namespace tracecap
