// What a receiver of trace records needs, and nothing of the facility's own
// state: the viewer's window class, the line kinds and the record layout.
#pragma once

#include "foundation/trace/TraceRecord.h"

#include <cstdint>

namespace UTrace {

// Line kinds, as carried in the record and passed to the filter.
constexpr std::int32_t kTraceError = 1;
constexpr std::int32_t kTraceMessage = 3;
constexpr std::int32_t kTraceFunction = 4;

// The viewer's window class. A record arrives as WM_COPYDATA whose dwData is
// TraceRecord::kMagic and whose cbData is the record's length.
constexpr wchar_t kViewerClass[] = L"Talvane Solutions::Trace::1.0";

}  // namespace UTrace
