// Setting the trace settings from a program that embeds the library, or from
// a test. The console calls none of this and keeps the initial values.
#pragma once

#include "foundation/trace/Trace.h"

#include <cstdint>
#include <string>

namespace UTrace {

struct Settings {
    std::int32_t enabled = 0;
    std::int32_t level = 0;
    std::string source;  // cut to 63 characters
    TraceFilter filter = nullptr;
    std::uint32_t tag = 0;
    std::uint32_t flags = kTraceToDebugger | kTraceAllLevels;
};

// The settings in force.
Settings CurrentSettings();

// Puts settings in force under gTraceLock, between two lines. The viewer's
// presence becomes undetermined again, so the next line looks it up.
void Configure(const Settings& settings);

}  // namespace UTrace
